#pragma once

#include <QString>

#include <array>

// A client version of up to four dotted numbers ("0.1.0", "2.3.1.7"), each
// below 65536; missing parts count as 0.
struct ClientVersion {
    std::array<quint16, 4> parts{};

    // False for anything else ("", "1.x", "1.2.3.4.5", "70000").
    static bool parse(const QString &text, ClientVersion *version);
    // This program's own version.
    static ClientVersion current();
    QString text() const;
    bool isZero() const { return parts == std::array<quint16, 4>{}; }

    friend bool operator<(const ClientVersion &a, const ClientVersion &b) { return a.parts < b.parts; }
    friend bool operator==(const ClientVersion &a, const ClientVersion &b) { return a.parts == b.parts; }
};
