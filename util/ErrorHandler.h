// Message catalogue and message log.
//
// The catalogue is loaded from a plain-text message file (the library
// ships "ErrorList.txt"). One record per line:
//
//     ID  SUB  RESULT  MESSAGE
//
// ID, SUB and RESULT are decimal numbers from 0 to 65535 separated by
// white space; MESSAGE is the rest of the line (leading and trailing white
// space removed) and is used as a printf format that receives two int
// arguments, the line and the column: it may hold at most two conversions,
// each exactly "%d", and any number of "%%". Empty lines and lines whose
// first non-blank character is '#' are comments. A line that breaks these
// rules is skipped and counted in GetSkippedLineCount(); nothing is ever
// read past a line's end. When two records share ID and SUB, the first
// one counts.
//
// Initialize(file, fields) reads "<default dir>/<file>", or "<file>" in the
// current working directory when no default directory was given. `fields`
// is the number of numeric fields per record and must be 3. The result is
// the number of records loaded (0 or more), -1 when the file cannot be
// opened, -2 for a `fields` other than 3 or a null file name.
//
// The log: SetErrorOccured records a message; the host reads the recorded
// messages in order with GetErrorCount / GetError.
#ifndef BSCAN_ERRORHANDLER_H
#define BSCAN_ERRORHANDLER_H

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "util/BScanExport.h"
#include "util/KObject.h"

class BSCAN_API ErrorElement {
public:
    ErrorElement(uint16_t id, uint16_t subId, uint16_t result, const char* message);
    uint16_t GetId() const { return m_id; }
    uint16_t GetSubId() const { return m_subId; }
    uint16_t GetResultNumber() const { return m_result; }
    const char* GetErrorMessage() const;           // the format text, null when empty

private:
    friend class ErrorHandler;                     // moves a loaded record's message in

    uint16_t m_id;
    uint16_t m_subId;
    uint16_t m_result;
    std::string m_message;
};

class BSCAN_API ErrorHandler : public KObject {
public:
    ErrorHandler() = default;
    ~ErrorHandler() override;

    void SetDefaultDir(const char* dir);           // null or empty: the current directory
    const char* GetDefaultDir() const;
    int Initialize(const char* file, int fields);
    const ErrorElement* GetErrorElement(uint16_t id, uint16_t subId) const;  // null when none
    int GetElementCount() const;
    int GetSkippedLineCount() const;

    void SetErrorOccured(const char* text);        // a null text records nothing
    int GetErrorCount() const;
    const char* GetError(int index) const;         // null outside 0..count-1
    void ClearErrors();

private:
    std::string m_defaultDir;
    std::vector<ErrorElement> m_elements;
    std::unordered_map<uint32_t, size_t> m_byKey;
    int m_skipped = 0;
    std::vector<std::string> m_log;
};

#endif
