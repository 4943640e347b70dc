// LIBS: qm_simcore
// Arbitrary bytes as program messages to a simulated meter: the first byte
// picks the model and the faults, the rest is cut into writes at 0xFF bytes;
// every answer is read back in pieces.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Clock.h"
#include "sim/ScpiParser.h"
#include "sim/SimEndpoint.h"
#include "sim/SimMeter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

    // The parser on its own, over the whole input as one message.
    qm::sim::scpi::MessageParser parser(input);
    qm::sim::scpi::Unit unit;
    int error = 0;
    while (parser.next(unit, error) == qm::sim::scpi::MessageParser::Step::Unit) {
        for (int i = 0; i < unit.paramCount; ++i) {
            (void)qm::sim::scpi::toNumeric(unit.params[i], error);
            (void)qm::sim::scpi::toText(unit.params[i]);
        }
    }

    static constexpr const char* kModels[] = {"TX41", "TX42", "QMTX42"};
    qm::sim::MeterConfig config;
    config.model = kModels[mode % 3];
    config.faults.garbage = mode & 0x04;
    config.faults.longAnswer = mode & 0x08;
    config.faults.emptyIdentity = mode & 0x10;
    if (mode & 0x20) config.faults.answerDelay = std::chrono::milliseconds(50);
    if (mode & 0x40) config.faults.dropAfterMessages = 5;
    config.noise = (mode & 0x80) ? 0 : -1;
    qm::ManualClock clock;
    qm::sim::SimEndpoint endpoint(config, clock);
    const std::size_t chunk = 1 + mode % 97;

    int writes = 0;
    while (!input.empty()) {
        const std::size_t cut = input.find('\xff');
        endpoint.write(input.substr(0, cut));
        input.remove_prefix(cut == std::string_view::npos ? input.size() : cut + 1);
        while (true) {
            const qm::sim::ReadChunk r = endpoint.read(chunk, std::chrono::milliseconds(10));
            if (r.outcome != qm::sim::IoOutcome::Ok || r.data.empty()) break;
        }
        if (++writes % 7 == 0) endpoint.clear();
        if (writes % 5 == 0) endpoint.meter().fireTrigger();
    }
    (void)endpoint.meter().errors();
    return 0;
}
