#pragma once

#include <QPixmap>
#include <QString>

namespace toolkit {

// A picture read from a file when it is first needed, so that the pictures
// of tabs nobody has opened yet cost nothing at start-up.
class LazyPicture {
public:
    void set(const QPixmap& picture);
    void set(const QString& path);
    const QPixmap& get() const;

private:
    mutable QPixmap picture_;
    mutable QString pendingPath_;
};

}  // namespace toolkit
