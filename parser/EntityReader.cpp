// The top of the BSDL grammar as this library reads it: the file must begin
// with an entity; the entity reader takes the entity's name and generic
// clause and then walks the body one statement at a time, recognising each
// statement by the lower-case keyword its first line begins with (a
// case-sensitive prefix test: "port" also takes "portx", "end" "endpoint"):
//
//   port       the port clause               ReadPort
//   use        skipped (must stand on one line)
//   attribute  an attribute statement        ReadAttribute
//   constant   a constant statement          ReadConstant
//   end        the end of the entity: reading stops with 0
//   "          a string piece left unread (a skipped constant's): skipped
//
// Any other line gives BSDL_ERR_SYNTAX. The first negative result of any
// reader ends the reading and is returned; what was stored stays. An entity
// name with no blank, tab or newline after it on the header is read as the
// empty name, and the whole text after "entity" as the rest of the header.
#include <new>

#include "parser/BScanParser.h"
#include "util/AsciiCaseInternal.h"

int BScanParser::Read()
{
    FILE* stream = SharedStream();
    if (!stream)
        return BSDL_ERR_FILE;

    try {
        std::string line;
        int result = GetLine(stream, line, nullptr);
        if (result < 0)
            return result;

        KString ks;
        if (ks.Find(line, "entity") != 0)
            return BSDL_ERR_SYNTAX;
        return ReadEntity(stream, &line[0]);
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    }
}

int BScanParser::ReadEntity(FILE* file, char* line)
{
    KString ks;

    // The header, joined with the generic clause up to the first ';'.
    std::string statement(line ? line : "");
    if (ks.Find(statement, ';') < 0) {
        int completed = CompleteStatement(file, statement);
        if (completed < 0)
            return completed;
    }

    std::string rest;
    ks.Right(rest, statement, static_cast<int>(statement.size()) - 6);
    ks.TrimLeft(rest);
    int separator = ks.FindOneOf(rest, " \t\n");
    std::string name;
    ks.Left(name, rest, separator);
    ks.TrimRight(name);
    ks.Right(rest, rest, static_cast<int>(rest.size()) - separator - 1);
    ks.TrimLeft(rest);
    SetComponentName(name.c_str());

    int result = BSDL_OK;
    if (ks.Find(statement, "generic") >= 0)
        result = ReadGeneric(file, &rest[0]);

    // The body, one statement at a time.
    while (result == BSDL_OK) {
        int got = GetLine(file, statement, nullptr);
        if (got < 0)
            return got;

        if (ks.Find(statement, "port") == 0)
            result = ReadPort(file, &statement[0]);
        else if (ks.Find(statement, "use") == 0)
            continue;
        else if (ks.Find(statement, "attribute") == 0)
            result = ReadAttribute(file, &statement[0]);
        else if (ks.Find(statement, "constant") == 0)
            result = ReadConstant(file, &statement[0]);
        else if (ks.Find(statement, "end") == 0)
            return BSDL_OK;
        else if (statement[0] == '"')
            continue;
        else
            return BSDL_ERR_SYNTAX;
    }
    return result;
}

int BScanParser::ReadGeneric(FILE* file, char* text)
{
    KString ks;
    std::string statement(text ? text : "");
    int result = CompleteStatement(file, statement);
    if (result < 0)
        return result;

    if (!m_pinMap) {
        try {
            m_pinMap = new BScanPinMap();
        } catch (const std::bad_alloc&) {
            return BSDL_ERR_NO_MEMORY;
        }
    }

    if (ks.Find(statement, "PHYSICAL_PIN_MAP") >= 0) {
        // The package: the text between the first two double quotes.
        std::string package;
        int quote = ks.Find(statement, '"');
        ks.Right(package, statement, static_cast<int>(statement.size()) - quote - 1);
        ks.TrimLeft(package);
        ks.Left(package, package, ks.Find(package, '"'));
        ks.TrimRight(package);
        SetPackageType(bscan_text::Lower(package).c_str());
    }
    return result;
}
