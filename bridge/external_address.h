#pragma once

#include <QString>

// The addresses a page may hand to the desktop's opener: the links the
// pages show, that is absolute http and https addresses with a host, and
// mailto addresses. Anything else (a file, a script, a bare word, a text
// that an opener would read as one of its options) is refused.
//
// The answer is the address fully encoded, which always begins with its
// scheme, so no opener can take it for an option; "" when it is refused.
QString externalAddress(const QString& text);
