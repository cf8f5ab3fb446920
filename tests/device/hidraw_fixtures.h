#pragma once

// Report descriptors for the tests of the hidraw transport. No public dump
// of a 258a or 25a7 descriptor exists: these were written by hand from the
// collections, report ids and sizes that public sources give for these
// devices (a 258a:0029-like mouse: keyboard report 1, consumer report 2 and
// a vendor collection on 0xFF00 with feature 4 of 519 bytes, feature 5 of 5
// bytes and input 7 of 7 bytes on interface 1, a plain mouse on interface
// 0; a 25a7 W1 mouse: input report 9 on 0xFF01, feature report 8 on 0xFF02,
// 16 bytes each).

#include <QByteArray>

namespace HidrawFixtures {

// 258a:0029-like, interface 1.
inline QByteArray mouseInterface1()
{
    return QByteArray::fromHex(
        // Keyboard, report 1: modifiers and six keys.
        "05010906a1018501"
        "050719e029e715002501750195088102"
        "950175088101"
        "950675081500256505071900296581 00"
        "c0"
        // Consumer control, report 2.
        "050c0901a1018502150026ff03190 02aff03751095018100c0"
        // Vendor, page 0xFF00: feature 4 (519 bytes), feature 5 (5), input 7 (7).
        "0600ff0901a101"
        "8504150026ff00750896 0702b102"
        "85059505b102"
        "85079507 8102"
        "c0");
}

// 258a:0029-like, interface 0: a plain mouse, no report ids.
inline QByteArray mouseInterface0()
{
    return QByteArray::fromHex(
        "05010902a1010901a100"
        "0509190129051500250195057501 8102"
        "950175038101"
        "0501093009311601802 6ff7f751095028106"
        "c0c0");
}

// 25a7 W1 mouse, interface 1.
inline QByteArray w1Interface1()
{
    return QByteArray::fromHex(
        "0601ff0901a1018509150026ff0075089510 8102c0"
        "0602ff0901a10185087508 9510b102c0");
}

// A keyboard's typing interface: no vendor collection.
inline QByteArray keyboardTyping()
{
    return QByteArray::fromHex(
        "05010906a101050719e029e71500250175019508 8102"
        "950175088101950575010508190129059102"
        "950175039101950675081500256505071900296581 00c0");
}

} // namespace HidrawFixtures
