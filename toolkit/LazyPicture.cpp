#include "toolkit/LazyPicture.h"

namespace toolkit {

void LazyPicture::set(const QPixmap& picture) {
    picture_ = picture;
    pendingPath_.clear();
}

void LazyPicture::set(const QString& path) {
    picture_ = QPixmap();
    pendingPath_ = path;
}

const QPixmap& LazyPicture::get() const {
    if (!pendingPath_.isEmpty()) {
        picture_.load(pendingPath_);
        pendingPath_.clear();
    }
    return picture_;
}

}  // namespace toolkit
