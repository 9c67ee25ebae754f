#include "chain/ReadErrorInternal.h"

#include <cstdio>

#include "parser/BScanReturnCodes.h"
#include "util/ErrorHandler.h"

std::string FormatBsdlReadError(const std::string& file, long long line, int code,
                                const std::string& messageDir)
{
    const char* const messageFile = "ErrorList.txt";
    std::string message = "no message text for this code (message file " + std::string(messageFile) +
                          " not found)";
    ErrorHandler messages;
    messages.SetDefaultDir(messageDir.c_str());
    if (code < 0 && messages.Initialize(messageFile, 3) >= 0) {
        const ErrorElement* element = messages.GetErrorElement(2, static_cast<uint16_t>(-code));
        if (element && element->GetErrorMessage()) {
            // The message is a format that takes the line and the column.
            char text[2048];
            std::snprintf(text, sizeof text, element->GetErrorMessage(), static_cast<int>(line), 0);
            message = text;
        } else {
            message = "no message text for this code in " + std::string(messageFile);
        }
    }
    const char* name = BScanReturnCodeName(code);
    return file + ":" + std::to_string(line) + ": error: " + message + " (" + (name ? name : "unknown code") +
           ", " + std::to_string(code) + ")";
}
