#include "board/Diagnosis.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <sstream>

namespace {

const size_t kMaxShortNets = 400;

struct Hypothesis {
    FaultKind kind;
    int a = -1;          // tested net (index into plan.tested)
    int b = -1;          // the other tested net of a short
    int pin = -1;        // the open pin (index into the net's pins)
    int cost = 0;
    int priority = 0;    // open at a receiver 0, at the driver 1, short 2, stuck-at 3
    int Nets() const { return b >= 0 ? 2 : 1; }
};

class Judge {
public:
    Judge(const InterconnectPlan& plan, const InterconnectPatterns& patterns, const std::vector<ScanBits>& captures)
        : m_plan(plan), m_patterns(patterns)
    {
        const size_t nets = plan.tested.size();
        m_words.resize(nets);
        m_observed.resize(nets);
        for (size_t t = 0; t < nets; ++t) {
            m_words[t] = patterns.NetWord(t);
            const PlannedNet& net = Net(static_cast<int>(t));
            m_observed[t].resize(net.pins.size());
            for (size_t q = 0; q < net.pins.size(); ++q) {
                const ScanPin& pin = net.pins[q];
                if (!pin.CanReceive())
                    continue;
                const size_t bit = static_cast<size_t>(patterns.offsets[static_cast<size_t>(pin.device)] + pin.capture);
                for (int p = 0; p < patterns.Count(); ++p) {
                    const ScanBits& capture = captures[static_cast<size_t>(p)];
                    m_observed[t][q].push_back(bit < capture.size() ? capture[bit] : 0);
                }
            }
        }
    }

    Diagnosis Run()
    {
        Diagnosis result;
        std::vector<int> failing;
        for (size_t t = 0; t < m_words.size(); ++t) {
            const int bits = Distance(static_cast<int>(t), Hypothesis{FaultKind::Open});
            if (bits > 0) {
                failing.push_back(static_cast<int>(t));
                result.failingNets.push_back(m_plan.tested[t]);
                result.failingBits += bits;
            }
        }
        result.pass = failing.empty();
        if (result.pass)
            return result;

        std::vector<Hypothesis> hypotheses;
        for (int a : failing) {
            const PlannedNet& net = Net(a);
            for (size_t q = 0; q < net.pins.size(); ++q) {
                const bool driver = static_cast<int>(q) == net.driver;
                if (!driver && !net.pins[q].CanReceive())
                    continue;   // an open there changes nothing the test sees
                Hypothesis open{FaultKind::Open, a};
                open.pin = static_cast<int>(q);
                open.priority = driver ? 1 : 0;
                hypotheses.push_back(open);
            }
            Hypothesis stuck0{FaultKind::StuckAt0, a}, stuck1{FaultKind::StuckAt1, a};
            stuck0.priority = stuck1.priority = 3;
            hypotheses.push_back(stuck0);
            hypotheses.push_back(stuck1);
        }
        // Shorts between every two failing nets; a board where hundreds of
        // nets fail (no power, a broken chain) is judged net by net.
        const size_t shortNets = failing.size() <= kMaxShortNets ? failing.size() : 0;
        for (size_t i = 0; i < shortNets; ++i)
            for (size_t j = i + 1; j < shortNets; ++j)
                for (FaultKind kind : {FaultKind::ShortAnd, FaultKind::ShortOr}) {
                    Hypothesis hypothesis{kind, failing[i], failing[j]};
                    hypothesis.priority = 2;
                    hypotheses.push_back(hypothesis);
                }
        for (Hypothesis& h : hypotheses) {
            h.cost = Distance(h.a, h);
            if (h.b >= 0)
                h.cost += Distance(h.b, h);
        }
        std::stable_sort(hypotheses.begin(), hypotheses.end(), [](const Hypothesis& x, const Hypothesis& y) {
            if (x.cost != y.cost)
                return x.cost < y.cost;
            if (x.Nets() != y.Nets())
                return x.Nets() > y.Nets();
            return x.priority < y.priority;
        });

        std::set<int> remaining(failing.begin(), failing.end());
        for (const Hypothesis& h : hypotheses) {
            if (!remaining.count(h.a) || (h.b >= 0 && !remaining.count(h.b)))
                continue;
            std::vector<const Hypothesis*> equal;
            for (const Hypothesis& other : hypotheses)
                if (&other != &h && other.a == h.a && other.b == h.b && other.cost == h.cost)
                    equal.push_back(&other);
            DiagnosedFault fault = Describe(h, equal);
            for (const Hypothesis* other : equal)
                fault.alternatives.push_back(ShortText(*other));
            result.faults.push_back(std::move(fault));
            remaining.erase(h.a);
            if (h.b >= 0)
                remaining.erase(h.b);
            if (remaining.empty())
                break;
        }
        return result;
    }

private:
    const PlannedNet& Net(int t) const { return m_plan.nets[static_cast<size_t>(m_plan.tested[static_cast<size_t>(t)])]; }

    // What receiver q of tested net t reads under hypothesis h, in pattern p
    // (a hypothesis that does not touch t: the net's own value).
    int Predict(const Hypothesis& h, int t, int q, int p) const
    {
        const int own = m_words[static_cast<size_t>(t)][static_cast<size_t>(p)];
        if (h.a != t && h.b != t)
            return own;
        switch (h.kind) {
        case FaultKind::StuckAt0:
            return 0;
        case FaultKind::StuckAt1:
            return 1;
        case FaultKind::ShortAnd:
        case FaultKind::ShortOr: {
            if (h.b < 0)
                return own;
            const int a = m_words[static_cast<size_t>(h.a)][static_cast<size_t>(p)];
            const int b = m_words[static_cast<size_t>(h.b)][static_cast<size_t>(p)];
            return h.kind == FaultKind::ShortAnd ? (a & b) : (a | b);
        }
        case FaultKind::Open:
        default: {
            if (h.pin < 0)
                return own;   // no fault: the good board
            const int driver = Net(t).driver;
            if (h.pin == driver)
                return q == driver ? own : 1;
            return q == h.pin ? 1 : own;
        }
        }
    }

    // Captured bits of tested net t that hypothesis h does not explain.
    int Distance(int t, const Hypothesis& h) const
    {
        int bits = 0;
        const auto& observed = m_observed[static_cast<size_t>(t)];
        for (size_t q = 0; q < observed.size(); ++q)
            for (size_t p = 0; p < observed[q].size(); ++p)
                if (observed[q][p] != Predict(h, t, static_cast<int>(q), static_cast<int>(p)))
                    ++bits;
        return bits;
    }

    std::string ShortText(const Hypothesis& h) const
    {
        switch (h.kind) {
        case FaultKind::Open:
            return "open at " + Net(h.a).pins[static_cast<size_t>(h.pin)].Name();
        case FaultKind::StuckAt0:
            return "stuck at 0";
        case FaultKind::StuckAt1:
            return "stuck at 1";
        case FaultKind::ShortAnd:
        case FaultKind::ShortOr:
        default:
            return std::string("shorted to ") + Net(h.b).name + " (" +
                   (h.kind == FaultKind::ShortAnd ? "wired-AND" : "wired-OR") + ")";
        }
    }

    // `equal`: the hypotheses that explain the same nets as well; opens
    // among them are named beside the chosen one.
    DiagnosedFault Describe(const Hypothesis& h, const std::vector<const Hypothesis*>& equal) const
    {
        DiagnosedFault fault;
        fault.kind = h.kind;
        fault.net = m_plan.tested[static_cast<size_t>(h.a)];
        fault.otherNet = h.b >= 0 ? m_plan.tested[static_cast<size_t>(h.b)] : -1;
        fault.unexplained = h.cost;
        const PlannedNet& net = Net(h.a);
        switch (h.kind) {
        case FaultKind::Open: {
            const ScanPin& open = net.pins[static_cast<size_t>(h.pin)];
            const ScanPin& driver = net.pins[static_cast<size_t>(net.driver)];
            fault.pin = open.Name();
            std::string where = open.Name();
            for (const Hypothesis* other : equal)
                if (other->kind == FaultKind::Open)
                    where += " or " + net.pins[static_cast<size_t>(other->pin)].Name();
            if (h.pin != net.driver) {
                fault.text = net.name + ": open at " + where + " (" + (where == open.Name() ? "" : open.Name() + " ") +
                             "reads 1 where " + driver.Name() + " drives 0)";
            } else {
                std::string readers;
                int listed = 0, count = 0;
                for (size_t q = 0; q < net.pins.size(); ++q) {
                    if (static_cast<int>(q) == net.driver || !net.pins[q].CanReceive())
                        continue;
                    ++count;
                    if (listed < 3)
                        readers += (listed++ ? ", " : "") + net.pins[q].Name();
                }
                if (count > listed)
                    readers += " and " + std::to_string(count - listed) + " more";
                fault.text = net.name + ": open at " + where + " (" + readers + (count > 1 ? " read" : " reads") +
                             " 1 where " + open.Name() + " drives 0)";
            }
            break;
        }
        case FaultKind::StuckAt0:
        case FaultKind::StuckAt1:
            fault.text = net.name + " stuck at " + (h.kind == FaultKind::StuckAt0 ? "0" : "1");
            break;
        case FaultKind::ShortAnd:
        case FaultKind::ShortOr:
            fault.text = net.name + " and " + Net(h.b).name + " shorted (" +
                         (h.kind == FaultKind::ShortAnd ? "wired-AND" : "wired-OR") + ")";
            break;
        }
        if (h.cost > 0)
            fault.text += " (best guess, " + std::to_string(h.cost) + " captured bits unexplained)";
        return fault;
    }

    const InterconnectPlan& m_plan;
    const InterconnectPatterns& m_patterns;
    std::vector<std::vector<int>> m_words;                   // per tested net
    std::vector<std::vector<std::vector<int>>> m_observed;   // per tested net, per pin (empty when it cannot receive)
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

}  // namespace

const char* FaultKindName(FaultKind kind)
{
    switch (kind) {
    case FaultKind::Open:
        return "open";
    case FaultKind::ShortAnd:
        return "short (wired-AND)";
    case FaultKind::ShortOr:
        return "short (wired-OR)";
    case FaultKind::StuckAt0:
        return "stuck at 0";
    case FaultKind::StuckAt1:
    default:
        return "stuck at 1";
    }
}

bool ReadCaptures(const std::string& text, const std::string& fileName, int drBits, int count,
                  std::vector<ScanBits>& captures, std::string& error)
{
    captures.clear();
    std::vector<std::pair<int, std::string>> values;   // line, value
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const size_t comment = line.find('#');
        if (comment != std::string::npos)
            line.erase(comment);
        std::istringstream fields(line);
        std::string value, extra;
        if (!(fields >> value))
            continue;
        if (fields >> extra) {
            error = fileName + ":" + std::to_string(number) + ": error: one hex value a line expected, found '" +
                    extra + "' after it";
            return false;
        }
        values.emplace_back(number, value);
    }
    if (static_cast<int>(values.size()) < count) {
        error = fileName + ":" + std::to_string(number) + ": error: " + std::to_string(values.size()) +
                " values, the test has " + std::to_string(count) + " scans";
        return false;
    }
    // Only the test's scans, the last `count` values, are read.
    for (size_t v = values.size() - static_cast<size_t>(count); v < values.size(); ++v) {
        const std::string where = fileName + ":" + std::to_string(values[v].first) + ": error: ";
        std::string value = values[v].second;
        if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X'))
            value.erase(0, 2);
        ScanBits bits(static_cast<size_t>(drBits), 0);
        for (size_t i = 0; i < value.size(); ++i) {
            const int digit = HexDigit(value[value.size() - 1 - i]);
            if (digit < 0) {
                error = where + "'" + values[v].second + "' is not a hex value";
                return false;
            }
            for (int b = 0; b < 4; ++b) {
                if (!(digit & (1 << b)))
                    continue;
                const size_t bit = 4 * i + static_cast<size_t>(b);
                if (bit >= bits.size()) {
                    error = where + "the value has more than the " + std::to_string(drBits) + " bits of the test's scans";
                    return false;
                }
                bits[bit] = 1;
            }
        }
        captures.push_back(std::move(bits));
    }
    return true;
}

bool IsPlayerLog(const std::string& text)
{
    return text.find("tdo check error") != std::string::npos || text.find("Open On-Chip Debugger") != std::string::npos;
}

bool ReadPlayerLog(const std::string& text, const std::string& fileName, const std::string& svf,
                   const InterconnectPatterns& patterns, std::vector<ScanBits>& captures, std::string& error)
{
    // The SVF lines of the checked scans: the last Count() SDR statements with TDO.
    std::vector<int> scanLines;
    {
        std::istringstream lines(svf);
        std::string line;
        for (int number = 1; std::getline(lines, line); ++number)
            if (line.compare(0, 4, "SDR ") == 0 && line.find(" TDO (") != std::string::npos)
                scanLines.push_back(number);
    }
    const size_t count = static_cast<size_t>(patterns.Count());
    if (scanLines.size() < count) {
        error = fileName + ": error: the SVF has fewer checked scans than the test";
        return false;
    }
    scanLines.erase(scanLines.begin(), scanLines.end() - static_cast<long>(count));
    captures = patterns.expected;

    std::istringstream lines(text);
    std::string line;
    int number = 0, failing = -1, failingLine = 0;
    const std::string marker = "tdo check error at line ";
    while (std::getline(lines, line)) {
        ++number;
        if (line.find("svf file programmed failed") != std::string::npos) {
            error = fileName + ":" + std::to_string(number) + ": error: the player stopped at the first failing "
                    "scan; play the test with svf FILE -ignore_error so that every scan is read";
            return false;
        }
        const size_t at = line.find(marker);
        if (at != std::string::npos) {
            const int svfLine = std::atoi(line.c_str() + at + marker.size());
            auto found = std::find(scanLines.begin(), scanLines.end(), svfLine);
            if (found == scanLines.end()) {
                error = fileName + ":" + std::to_string(number) + ": error: the player failed line " +
                        std::to_string(svfLine) + " of the SVF, which is not one of the test's scans "
                        "(the IDCODE check: the chain is not as the chain file says)";
                return false;
            }
            failing = static_cast<int>(found - scanLines.begin());
            failingLine = number;
            continue;
        }
        const size_t read = line.find("READ = ");
        if (read == std::string::npos || failing < 0)
            continue;
        std::string value = line.substr(read + 7);
        value.erase(value.find_last_not_of(" \t\r") + 1);
        std::vector<ScanBits> one;
        if (!ReadCaptures(value, fileName, patterns.drBits, 1, one, error)) {
            error = fileName + ":" + std::to_string(number) + error.substr(error.find(": error:"));
            return false;
        }
        captures[static_cast<size_t>(failing)] = one.front();
        failing = -1;
    }
    if (failing >= 0) {
        error = fileName + ":" + std::to_string(failingLine) + ": error: no READ value after the failing scan";
        return false;
    }
    return true;
}

Diagnosis Diagnose(const InterconnectPlan& plan, const InterconnectPatterns& patterns,
                   const std::vector<ScanBits>& captures)
{
    if (static_cast<int>(captures.size()) < patterns.Count()) {
        Diagnosis incomplete;
        incomplete.pass = false;
        return incomplete;
    }
    Judge judge(plan, patterns, captures);
    return judge.Run();
}
