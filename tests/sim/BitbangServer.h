// The remote_bitbang protocol of OpenOCD over TCP on 127.0.0.1, one client.
// Each byte the client sends is one command:
//   '0'..'7'  write TCK, TMS, TDI: the byte is '0' + (tck << 2 | tms << 1 | tdi)
//   'R'       read TDO: the server answers '0' or '1'
//   'r'..'u'  reset lines: 'r' + (trst << 1 | srst); TRST asserted resets the TAPs
//   'B', 'b'  blink on, off (ignored)
//   'Q'       quit
// Other bytes are ignored.
#ifndef BSCAN_TESTS_SIM_BITBANGSERVER_H
#define BSCAN_TESTS_SIM_BITBANGSERVER_H

#include <string>

class Board;

class BitbangServer {
public:
    BitbangServer() = default;
    ~BitbangServer();
    BitbangServer(const BitbangServer&) = delete;
    BitbangServer& operator=(const BitbangServer&) = delete;

    // Listens on 127.0.0.1, on a free port the system picks. False with
    // `error` set when that fails.
    bool Listen(std::string& error);
    int Port() const { return m_port; }

    // Serves one client until it quits or closes, or until `seconds` have
    // passed since the call (then false, `error` telling so).
    bool Serve(Board& board, double seconds, std::string& error);

private:
    int m_listener = -1;
    int m_port = 0;
};

#endif
