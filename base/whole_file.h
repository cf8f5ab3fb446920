#pragma once

class QByteArray;
class QSaveFile;

// QSaveFile commits what reached the disk: its final flush happens inside
// commit(), whose error it does not look at, so a file cut short (a full
// disk, a file size limit) would replace the old one and commit() still
// answer true. These make sure every byte was written and flushed before
// the file is committed; otherwise the writing is cancelled (the partial
// file is removed when the QSaveFile is destroyed), the old file stays as
// it was, and the answer is false. The file must be open for
// writing; its errorString() tells what went wrong.

// Writes bytes, then commits as commitWholeFile does.
bool writeWholeFile(QSaveFile& file, const QByteArray& bytes);

// Flushes what was written and commits the file when nothing failed.
bool commitWholeFile(QSaveFile& file);
