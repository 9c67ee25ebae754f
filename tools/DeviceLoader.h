// Reading a BSDL file for the tool: finding the message file, running the
// parser's Initialize and Read, and turning a failure into the one line the
// user sees:
//
//     FILE:LINE: error: MESSAGE (CODE_NAME, -N)
//
// LINE is the parser's line counter at the failure; MESSAGE is the plain
// sentence of record (2, N) of ErrorList.txt. Without a message file (or
// without that record) the line still names the code.
//
// Where ErrorList.txt is looked for: the directory in BSCAN_DATA_DIR when
// that variable is set (and nowhere else); otherwise ../share/bscan beside
// the program (an installed tool), then ../data beside it (the tool in a
// build tree's tools/ directory). Initialize is only ever given a directory
// that exists: when no candidate holds the file, the program's own
// directory is passed, the message file is then missing and Initialize
// reports that after it has opened the BSDL file and reset the parser;
// the loader recognises that case and reads the file anyway.
#ifndef BSCAN_TOOL_DEVICELOADER_H
#define BSCAN_TOOL_DEVICELOADER_H

#include <string>
#include <vector>

#include "parser/BScanParser.h"

// A parser that tells whether Initialize got as far as Reset, so that a
// negative result of Initialize after Reset is known to come from the
// message file and not from the BSDL file.
class DeviceParser : public BScanParser {
public:
    bool ResetRan() const { return m_resetRan; }

protected:
    int Reset() override;

private:
    bool m_resetRan = false;
};

// The directory to give Initialize; always an existing directory.
std::string FindMessageDirectory();

// The user's line for a failed read (without the line end).
std::string FormatReadError(const std::string& file, long long line, int code,
                            const std::string& messageDir);

// The MESSAGE part of that line: the sentence of record (2, -code) of the
// message file in `messageDir`, or a note that there is none.
std::string ReadErrorMessage(long long line, int code, const std::string& messageDir);

// Presets, initialises with the message file of `messageDir` and reads, as
// LoadDevice does. Returns 0, or the failing code (the parser's line
// counter then names the line).
int ReadDeviceFile(DeviceParser& parser, const std::string& file,
                   const std::vector<unsigned char>& presets, const std::string& messageDir);

// Presets the cells (one byte per cell, 0 or 1) when `presets` is not
// empty, initialises and reads. Returns 0, or the failing code with
// `errorLine` set.
int LoadDevice(DeviceParser& parser, const std::string& file,
               const std::vector<unsigned char>& presets, std::string& errorLine);

#endif
