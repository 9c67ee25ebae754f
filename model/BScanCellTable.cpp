#include "model/BScanPinMap.h"

#include "model/PinMapIndex.h"

void BScanPinMap::AllocateBScanCellTable(int) {}
int BScanPinMap::AddNewRegister(int, char*, char*, int, char*, eSignal, int, eSignal, eSignal,
                                eSignal, const char*) { return -1; }
KBScanCell* BScanPinMap::GetBScanCell(int) { return nullptr; }
KBScanCell* BScanPinMap::GetBScanCell(const char*) { return nullptr; }
KBScanCell* BScanPinMap::GetBScanCellByOriginalName(const char*) { return nullptr; }
const KBScanCell* BScanPinMap::GetBScanCellTable() const { return m_bscanCellTable; }
int BScanPinMap::GetBScanLength() const { return m_bscanLength; }
unsigned char* BScanPinMap::GetBScanBitArray() { return m_bscanBitArray; }
void BScanPinMap::InitBSCANBitArray() {}
bool BScanPinMap::HasBScanCell(int) { return false; }
int BScanPinMap::SetBit(int, eSignal) { return -1; }
int BScanPinMap::UpdateBScanBitArray(KPinNode*) { return -1; }
int BScanPinMap::setPort(int, PortType, eSignal) { return -1; }
int BScanPinMap::setPort(int, PortType, eSignal, bool) { return -1; }
