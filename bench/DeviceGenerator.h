// Writes synthetic BSDL devices of a chosen number of boundary cells for the
// benchmarks, in the layout the library reads: lower-case keywords, one
// port declaration per line, every string value as one quoted piece per
// line joined by '&'.
//
// A device of N cells has a grid package (pins A1, A2, ... in JEDEC rows)
// with one pin per port, and a mix of ports like a real FPGA's:
// - an inout bus DQ whose elements have an input and a three-state output
//   cell, eight elements sharing one control cell;
// - scalar inout ports with one bidirectional cell and a control cell each;
// - scalar inputs (one input cell) and outputs (output cell and control);
// - differential output pairs LVDS_Pk / LVDS_Nk, declared in PORT_GROUPING,
//   the negative leg's cell named by the comment behind its entry;
// - linkage pins; internal cells fill the register up to N.
// The instruction register attributes, REGISTER_ACCESS and a few
// attributes that the reader skips complete the file.
#ifndef BSCAN_BENCH_DEVICEGENERATOR_H
#define BSCAN_BENCH_DEVICEGENERATOR_H

#include <string>

struct GeneratedDevice {
    std::string text;     // the BSDL file
    int cells = 0;        // BOUNDARY_LENGTH
    int ports = 0;        // port nodes (scalars and vector elements)
    int pairs = 0;        // differential pairs
};

GeneratedDevice GenerateDevice(int cells);

#endif
