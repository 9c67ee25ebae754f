// Constant statements: PIN_MAP_STRING and BOUNDARY_REGISTER are read; any
// other constant is ignored, its string pieces skipped by the entity reader.
//
// The statement is completed up to the line holding ":=" only. The type is
// the first occurrence of the type word in the statement, cut at the next
// blank, newline, tab or ':', which must equal the type word exactly: a
// constant named PIN_MAP_STRING_B is ignored, whatever its type. A pin map
// string that cannot be read does not stop the reading.
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
