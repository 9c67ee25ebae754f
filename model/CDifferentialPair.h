// One differential port pair of the PORT_GROUPING attribute: the positive
// and negative port names and the boundary-cell positions matched to them
// (-1 until matched).
#ifndef BSCAN_CDIFFERENTIALPAIR_H
#define BSCAN_CDIFFERENTIALPAIR_H

#include <string>

#include "util/BScanExport.h"

class BSCAN_API CDifferentialPair {
public:
    CDifferentialPair() = default;
    CDifferentialPair(const CDifferentialPair& other) = default;
    CDifferentialPair& operator=(const CDifferentialPair& other) = default;
    virtual ~CDifferentialPair();

    void SetPositiveElement(const char* name);     // null changes nothing
    const char* GetPositiveElement() const;        // never null
    void SetNegativeElement(const char* name);
    const char* GetNegativeElement() const;
    void SetPositiveBScanPosition(int position);
    int GetPositiveBScanPosition() const;
    void SetNegativeBScanPosition(int position);
    int GetNegativeBScanPosition() const;

private:
    std::string m_positiveElement;
    std::string m_negativeElement;
    int m_positiveBScanPosition = -1;
    int m_negativeBScanPosition = -1;
};

#endif
