#include "parser/BScanParser.h"
#include "parser/PackagePinMap.h"

PackagePinMap::~PackagePinMap() = default;
void PackagePinMap::SetName(const char* name) { if (name) m_name = name; }
const char* PackagePinMap::GetName() const { return m_name.c_str(); }
void PackagePinMap::AddPinName(const char* pin) { if (pin) m_pinNames.push_back(pin); }
int PackagePinMap::GetPinCount() const { return static_cast<int>(m_pinNames.size()); }
const char* PackagePinMap::GetPinName(int) const { return nullptr; }
int PackagePinMap::FindPin(const char*) const { return 0; }

int BScanParser::ReadPackageDB(char*) { return BSDL_OK; }
