// Constant statements. Two constant types are read: PIN_MAP_STRING (the
// package pins of the ports) and BOUNDARY_REGISTER; every other constant is
// ignored, and the string pieces of its value, each on a line beginning
// with a double quote, are skipped by the entity reader.
//
// The statement is completed up to the line holding ":=" only: the value
// that follows is left to the reader called. The type is recognised by the
// first occurrence of the type word in the statement, cut at the next
// blank, newline, tab or ':', which must equal the type word exactly; so a
// constant whose name holds the type word followed by more characters
// (PIN_MAP_STRING_B) is ignored, whatever its type. A type word with no such
// separator after it (standing after the ":=") is no type word either.
//
// A pin map string that cannot be read does not stop the reading: the
// ports keep the pins they have, and the result is 0.
#include "parser/BScanParser.h"

namespace {

// True when the first occurrence of `type` in the statement is the whole
// word `type`.
bool IsTypeWord(const std::string& statement, const char* type)
{
    KString ks;
    std::string word;
    ks.Right(word, statement, static_cast<int>(statement.size()) - ks.Find(statement, type));
    ks.Left(word, word, ks.FindOneOf(word, " \n\t:"));
    return word == type;
}

}  // namespace

int BScanParser::ReadConstant(FILE* file, char* line)
{
    KString ks;
    std::string statement(line ? line : "");
    int result = CompleteStatement(file, statement, ":=");
    if (result < 0)
        return result;

    if (ks.Find(statement, "PIN_MAP_STRING") >= 0) {
        if (IsTypeWord(statement, "PIN_MAP_STRING"))
            ReadBSCANPinMap(file, &statement[0]);
    } else if (ks.Find(statement, "BOUNDARY_REGISTER") >= 0 && IsTypeWord(statement, "BOUNDARY_REGISTER")) {
        return ReadBSCANBoundaryRegister(file, &statement[0]);
    }
    return BSDL_OK;
}
