#pragma once

#include <QString>

namespace toolkit {

// The text of a C string: the characters before the first NUL; a text
// holding no NUL (a field filled to its last byte) is kept whole. The
// platform's text box holds a C string, and so does each text field of an
// adapter entry.
inline QString TrimAtNull(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

}  // namespace toolkit
