#include "board/InterconnectPatterns.h"

namespace {

// A device's part of the DR before the pattern's values: safe values,
// outputs switched off, held control cells enabling.
std::vector<unsigned char> BaseImage(const InterconnectPlan& plan, size_t d)
{
    const BoardDevice& device = plan.devices[d];
    std::vector<unsigned char> cells(device.cells.size(), 0);
    for (size_t c = 0; c < device.cells.size(); ++c)
        cells[c] = static_cast<unsigned char>(device.cells[c].safe);
    if (plan.modes[d] != DeviceMode::Extest)
        return cells;
    for (const BoardCell& cell : device.cells)
        if (cell.control >= 0 && cell.control < static_cast<int>(cells.size()) && cell.disableValue >= 0)
            cells[static_cast<size_t>(cell.control)] = static_cast<unsigned char>(cell.disableValue);
    for (const HeldCell& held : plan.enables)
        if (held.device == static_cast<int>(d))
            cells[static_cast<size_t>(held.cell)] = static_cast<unsigned char>(held.value);
    return cells;
}

}  // namespace

int InterconnectPatterns::NetValue(size_t t, int pattern) const
{
    const int bit = pattern % wordBits;
    const int value = static_cast<int>((words[t] >> bit) & 1u);
    return pattern < wordBits ? value : 1 - value;
}

std::vector<int> InterconnectPatterns::NetWord(size_t t) const
{
    std::vector<int> word;
    for (int p = 0; p < Count(); ++p)
        word.push_back(NetValue(t, p));
    return word;
}

int DeviceDrBits(const InterconnectPlan& plan, size_t device)
{
    return plan.modes[device] == DeviceMode::Bypass ? 1 : plan.devices[device].BoundaryLength();
}

InterconnectPatterns MakePatterns(const InterconnectPlan& plan)
{
    InterconnectPatterns patterns;
    const size_t count = plan.devices.size();
    patterns.offsets.assign(count, 0);
    for (size_t d = count; d-- > 0;) {
        patterns.offsets[d] = patterns.drBits;
        patterns.drBits += DeviceDrBits(plan, d);
    }
    const size_t nets = plan.tested.size();
    if (nets == 0)
        return patterns;
    patterns.wordBits = 1;
    while ((uint64_t{1} << patterns.wordBits) < nets + 2)
        ++patterns.wordBits;
    for (size_t t = 0; t < nets; ++t)
        patterns.words.push_back(t + 1);

    ScanBits base(static_cast<size_t>(patterns.drBits), 0);
    for (size_t d = 0; d < count; ++d) {
        if (plan.modes[d] == DeviceMode::Bypass)
            continue;
        const std::vector<unsigned char> cells = BaseImage(plan, d);
        for (size_t c = 0; c < cells.size(); ++c)
            base[static_cast<size_t>(patterns.offsets[d]) + c] = cells[c];
    }
    for (int p = 0; p < patterns.Count(); ++p) {
        ScanBits tdi = base;
        ScanBits expected(base.size(), 0), mask(base.size(), 0);
        for (size_t t = 0; t < nets; ++t) {
            const PlannedNet& net = plan.nets[static_cast<size_t>(plan.tested[t])];
            const unsigned char value = static_cast<unsigned char>(patterns.NetValue(t, p));
            const ScanPin& driver = net.pins[static_cast<size_t>(net.driver)];
            tdi[static_cast<size_t>(patterns.offsets[static_cast<size_t>(driver.device)] + driver.output)] = value;
            for (const ScanPin& pin : net.pins) {
                if (!pin.CanReceive())
                    continue;
                const size_t bit = static_cast<size_t>(patterns.offsets[static_cast<size_t>(pin.device)] + pin.capture);
                expected[bit] = value;
                mask[bit] = 1;
            }
        }
        patterns.tdi.push_back(std::move(tdi));
        patterns.expected.push_back(std::move(expected));
        patterns.mask.push_back(std::move(mask));
    }
    return patterns;
}
