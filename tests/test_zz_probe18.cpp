#include <gtest/gtest.h>
#include <map>
#include "BoardRealFiles.h"
#include "board/InterconnectPlan.h"
#include "board/Diagnosis.h"
#include "sim/BoardFaults.h"
using namespace bscan_test;
using namespace bscan_sim;
TEST(Probe18, Short) {
    std::vector<std::string> files; std::string why;
    ASSERT_TRUE(PickRealFiles(3, 0, 60, files, why)) << why;
    GeneratedBoard board;
    ASSERT_TRUE(GenerateBoard(files, 400, 2, board, why)) << why;
    InterconnectPlan plan = PlanInterconnect(board.devices, board.netlist);
    InterconnectPatterns patterns = MakePatterns(plan);
    BoardNets nets(plan.devices, board.netlist);
    Fault f; f.kind = FaultKind::ShortOr; f.net = plan.FindNet("/G18"); f.otherNet = plan.FindNet("/G99");
    Inject(nets, plan, f);
    auto caps = RunInterconnect(plan, patterns, nets);
    for (int n : {f.net, f.otherNet}) {
        const PlannedNet& net = plan.nets[n];
        size_t t = std::find(plan.tested.begin(), plan.tested.end(), n) - plan.tested.begin();
        std::cout << net.name << " driver " << net.pins[net.driver].Name() << " word ";
        for (int b : patterns.NetWord(t)) std::cout << b; std::cout << "\n";
        for (auto& pin : net.pins) {
            std::cout << "  " << pin.Name() << " out " << pin.output << " ctl " << pin.control << " cap " << pin.capture << " : ";
            if (pin.capture >= 0) for (auto& c : caps) std::cout << int(c[patterns.offsets[pin.device] + pin.capture]);
            std::cout << "\n";
        }
    }
}
