#pragma once
// Text files made by other programs (a skier list saved by a Windows program, an export from a
// club's database): read as UTF-8 when they are valid UTF-8, else in the 8-bit code page such
// files are written in. On a system whose own 8-bit encoding is UTF-8 that is Windows-1252
// (a superset of Latin-1 for every printable character), so "Müller" saved as the one byte 0xFC
// reads right; elsewhere it is the system's own code page.
#include <QByteArray>
#include <QString>

namespace app {

QString foreignText(const QByteArray& bytes);

// One byte of Windows-1252. The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) read as the control characters of the same number, as Windows reads them.
QChar windows1252(unsigned char byte);

} // namespace app
