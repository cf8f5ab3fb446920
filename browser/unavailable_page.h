#pragma once

#include <QString>
#include <QUrl>

// The page the main view shows when the program's own pages cannot be
// served (the page package is missing, or its copy could not be made): a
// page made here, carried in a data: address, that says what is wrong and
// what to do. It is not a page of the local scheme, so it holds no command;
// the network is never asked for the pages instead.
namespace UnavailablePage {

// detail: what went wrong, shown as text (the page escapes it).
QUrl address(const QString& detail);

} // namespace UnavailablePage
