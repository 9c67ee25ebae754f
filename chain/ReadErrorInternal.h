// The line a BSDL file that does not read gives, as `bscan info` prints it:
// FILE:LINE: error: MESSAGE (CODE_NAME, -N), MESSAGE from record (2, N)
// of ErrorList.txt in messageDir (or a note that it is missing).
#ifndef BSCAN_CHAIN_READERRORINTERNAL_H
#define BSCAN_CHAIN_READERRORINTERNAL_H

#include <string>

std::string FormatBsdlReadError(const std::string& file, long long line, int code,
                                const std::string& messageDir);

#endif
