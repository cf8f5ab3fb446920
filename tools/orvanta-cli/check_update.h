#pragma once

#include <QByteArray>

class PageSession;

// orvanta-cli --check-update: the start-up update check of the program,
// one query per firmware version of the attached devices against the
// configured endpoint (the client profile's "upgrade", or
// ORVANTA_UPGRADE_URL), and its outcome as one JSON line:
//   {"state":1,"type":"0","description":"…","updaterArguments":""}
// state -1 (no answer, or no device), 0 (no update, failure, or a silent
// update scheduled) or 1 (an update would be offered); updaterArguments is
// the updater's argument line when a silent update would be scheduled.
// Waits at most timeoutMs for the last query.
QByteArray checkUpdateLine(PageSession& session, int timeoutMs);
