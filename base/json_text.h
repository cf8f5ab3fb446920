#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonParseError>

// JSON read from outside (page requests, the update service's answer, the
// device-set file) goes through here instead of QJsonDocument::fromJson
// directly: a text in which an object names a member twice is refused.
//
// Qt 5.15's parser keeps one of the repeated members and loses the memory
// of the others when they are arrays or objects, so such a text leaks at
// every parse (found by fuzzing the device-set file). No program of ours
// writes one, and which of the values counts is nowhere promised.
namespace JsonText {

// QJsonDocument::fromJson(text, error), or a null document when an object
// of text repeats a member: *duplicate (when given) is then set and *error
// says QJsonParseError::IllegalValue at the repeated name.
QJsonDocument parse(const QByteArray &text, QJsonParseError *error = nullptr, bool *duplicate = nullptr);

// Whether some object of text names a member twice (names compared after
// their escapes are read). Reads as far as text is well-formed JSON.
bool repeatsMember(const QByteArray &text, int *offset = nullptr);

} // namespace JsonText
