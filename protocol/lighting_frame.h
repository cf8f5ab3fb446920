#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// The 1024-byte frame of a keyboard lighting write: an 8-byte header, then
// three colour bytes (red, green, blue) for each position of the lighting
// matrix. The frame persists from one write to the next; each write first
// clears the keys the previous one coloured.
class LightingFrame
{
public:
    LightingFrame();

    // Clears the colours of the keys of the previous write, then applies
    // items of the form key name, "#", colour ("ESC#ff0000"). An item that
    // does not split into exactly two parts is skipped, so is a name that is
    // not on the matrix. A colour shorter than 3 characters leaves the
    // key's bytes cleared; hexadecimal digits that do not read give 0.
    void apply(const QStringList& items);

    const QByteArray& bytes() const;
    // The names the last apply coloured, cleared by the next one.
    QStringList litKeys() const;
    // The matrix position of a key name; -1 when it is not on the matrix.
    int position(const QString& name) const;

private:
    QByteArray m_frame;
    QHash<QString, int> m_positions;
    QStringList m_litKeys;
};
