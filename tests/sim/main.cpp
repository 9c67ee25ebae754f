// bscan_sim: a simulated board for the player tests. It reads a chain
// file with the library, builds one TAP per device (TapDevice.h), serves
// OpenOCD's remote_bitbang protocol on a free 127.0.0.1 port
// (BitbangServer.h) and, when the client quits or the time is up, writes
// the board's final state and history as JSON (Board.h).
//
//     bscan_sim CHAIN PORT_FILE STATE_FILE [SECONDS] [NAME.PORT=0|1 ...]
//
// PORT_FILE receives the port number once the server listens (written
// whole, then renamed into place). Exit status 0 after a client that
// quit or closed, 1 otherwise (the reason on standard error).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "chain/BScanChain.h"

#include "BitbangServer.h"
#include "Board.h"

namespace {

bool WriteWhole(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary);
        out << text;
        if (!out)
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::cerr << "usage: bscan_sim CHAIN PORT_FILE STATE_FILE [SECONDS] [NAME.PORT=0|1 ...]\n";
        return 2;
    }
    const double seconds = argc > 4 ? std::atof(argv[4]) : 30.0;
    BScanChain chain;
    if (chain.Read(argv[1], BSCAN_MESSAGE_DIR) != 0) {
        std::cerr << chain.Error() << '\n';
        return 1;
    }
    Board board(chain);
    for (int i = 5; i < argc; ++i) {
        if (!board.SetPin(argv[i])) {
            std::cerr << "bscan_sim: no such pin: " << argv[i] << '\n';
            return 2;
        }
    }
    BitbangServer server;
    std::string error;
    if (!server.Listen(error) || !WriteWhole(argv[2], std::to_string(server.Port()) + "\n")) {
        std::cerr << "bscan_sim: " << (error.empty() ? "cannot write the port file" : error) << '\n';
        return 1;
    }
    const bool served = server.Serve(board, seconds > 0 ? seconds : 30.0, error);
    if (!WriteWhole(argv[3], board.StateJson())) {
        std::cerr << "bscan_sim: cannot write " << argv[3] << '\n';
        return 1;
    }
    if (!served) {
        std::cerr << "bscan_sim: " << error << '\n';
        return 1;
    }
    return 0;
}
