#include "wheel/protocol.h"
#include "wheel/sim/sim_wheel.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace kestrel {
namespace {

using sim::SimEventKind;
using sim::SimWheel;
using Bytes = std::vector<std::uint8_t>;

NvmImage randomImage(unsigned seed) {
    std::mt19937 random(seed);
    NvmImage image;
    for (auto& byte : image.bytes) byte = static_cast<std::uint8_t>(random());
    return image;
}

Bytes randomFirmware(std::size_t size) {
    std::mt19937 random(7);
    Bytes firmware(size);
    for (auto& byte : firmware) byte = static_cast<std::uint8_t>(random());
    return firmware;
}

// What a command report must look like on the wire: report id, "VORAN", the code, zeros.
Bytes commandReport(std::uint8_t code) {
    Bytes report(kReportSize, 0);
    const Bytes head = {0x00, 'V', 'O', 'R', 'A', 'N', code};
    std::copy(head.begin(), head.end(), report.begin());
    return report;
}

Bytes dataReport(std::span<const std::uint8_t> payload) {
    Bytes report(1 + payload.size(), 0);
    std::copy(payload.begin(), payload.end(), report.begin() + 1);
    return report;
}

struct Bench {
    SimWheel wheel;
    RecordingLog log;
    NvmImage image{};
    WheelLink link{log, image};
    WheelDevice device;

    WheelDevice& open() {
        device = openWheel().device;
        return device;
    }
};

TEST(Protocol, ReadCopiesTheWheelMemoryInOrderWithoutReportIds) {
    Bench bench;
    bench.wheel.setMemory(randomImage(1));
    bench.open();

    EXPECT_EQ(ReadNVM(bench.link, bench.device.get()), 0);

    EXPECT_EQ(bench.image, bench.wheel.memory());
    EXPECT_EQ(bench.wheel.writtenReports(), std::vector<Bytes>{commandReport(0x01)});
    EXPECT_EQ(bench.wheel.count(SimEventKind::Read), kNvmChunkCount);
    EXPECT_TRUE(bench.log.lines().empty());
}

TEST(Protocol, WriteSendsTheCommandAndThirtyTwoChunks) {
    Bench bench;
    bench.image = randomImage(2);
    bench.open();

    EXPECT_EQ(WriteNVM(bench.link, bench.device.get()), 0);

    const auto reports = bench.wheel.writtenReports();
    ASSERT_EQ(reports.size(), 33u);
    EXPECT_EQ(reports[0], commandReport(0x02));
    for (std::size_t k = 0; k < kNvmChunkCount; ++k) EXPECT_EQ(reports[k + 1], dataReport(bench.image.chunk(k)));
    EXPECT_EQ(bench.wheel.memory(), bench.image);
}

TEST(Protocol, FlashSendsTheCommandAndEveryChunkOfTheImage) {
    Bench bench;
    const Bytes firmware = randomFirmware(sim::kSimFlashSize);
    bench.open();

    EXPECT_EQ(write_flash(bench.log, bench.device.get(), firmware), 0);

    const auto reports = bench.wheel.writtenReports();
    ASSERT_EQ(reports.size(), 772u);
    EXPECT_EQ(reports[0], commandReport(0xFF));
    EXPECT_EQ(reports[771], dataReport(std::span(firmware).subspan(770 * 32, 32)));
    EXPECT_EQ(bench.wheel.flash(), firmware);
    EXPECT_EQ(bench.log.lines(), (std::vector<std::string>{"Write flash 24672 bytes", "write_flash : 771 chunks sent"}));
}

TEST(Protocol, FlashRefusesAnImageThatIsNotWholeChunks) {
    Bench bench;
    bench.open();

    EXPECT_EQ(write_flash(bench.log, bench.device.get(), randomFirmware(100)), -1);

    EXPECT_TRUE(bench.wheel.writtenReports().empty());
    EXPECT_EQ(bench.log.lines().size(), 2u);
}

TEST(Protocol, UpdateWriteChangesOnlyTheUpdatePendingBit) {
    struct Case {
        bool pending;
        std::uint32_t before;
        std::uint32_t sent;
    };
    for (const Case& c : {Case{true, 0x00000001, 0x80000001}, Case{false, 0x80000001, 0x00000001},
                          Case{true, 0x80000000, 0x80000000}, Case{false, 0x7FFFFFFE, 0x7FFFFFFE}}) {
        Bench bench;
        bench.image = randomImage(3);
        bench.image.writeU32(kNvmFlagsOffset, c.before);
        NvmImage expected = bench.image;
        expected.writeU32(kNvmFlagsOffset, c.sent);

        EXPECT_EQ(UWD(bench.link, c.pending), 1);

        EXPECT_EQ(bench.wheel.memory(), expected) << std::hex << c.before;
        EXPECT_EQ(bench.image, expected);
        EXPECT_EQ(bench.wheel.openHandles(), 0);
        EXPECT_EQ(bench.wheel.count(SimEventKind::Write), 33u);
    }
}

TEST(Protocol, UpdateWriteWithTheWheelAbsentKeepsTheBitChanged) {
    Bench bench;
    bench.wheel.unplug();
    bench.image.writeU32(kNvmFlagsOffset, 0x00000001);

    EXPECT_EQ(UWD(bench.link, true), 0);

    EXPECT_EQ(bench.log.lines(), std::vector<std::string>{"UWD : Device open error"});
    EXPECT_EQ(bench.image.readU32(kNvmFlagsOffset), 0x80000001u);
}

TEST(Protocol, FailedReadLeavesTheImageAsItWas) {
    Bench bench;
    bench.wheel.setMemory(randomImage(4));
    bench.image = randomImage(5);
    const NvmImage before = bench.image;
    bench.open();
    bench.wheel.failRead(5);

    EXPECT_EQ(ReadNVM(bench.link, bench.device.get()), -1);

    EXPECT_EQ(bench.image, before);
    EXPECT_EQ(bench.wheel.count(SimEventKind::Read), 4u);
}

TEST(Protocol, ReadAfterAnAbandonedExchangeStartsAfresh) {
    Bench bench;
    bench.wheel.setMemory(randomImage(6));
    bench.open();
    bench.wheel.failRead(3);
    ASSERT_EQ(ReadNVM(bench.link, bench.device.get()), -1);
    bench.device.reset();

    bench.open();
    EXPECT_EQ(ReadNVM(bench.link, bench.device.get()), 0);
    EXPECT_EQ(bench.image, bench.wheel.memory());
}

struct FailureCase {
    const char* name;
    std::function<void(SimWheel&)> inject;
    std::function<int(Bench&)> run;
    int result;
    std::vector<std::string> lines;
    std::size_t reportsWritten;
};

int readNvm(Bench& bench) { return ReadNVM(bench.link, bench.open().get()); }
int writeNvm(Bench& bench) { return WriteNVM(bench.link, bench.open().get()); }
int writeFlash(Bench& bench) {
    static const Bytes firmware = randomFirmware(sim::kSimFlashSize);
    return write_flash(bench.log, bench.open().get(), firmware);
}
int updateWrite(Bench& bench) { return UWD(bench.link, false); }

const std::vector<FailureCase>& failureCases() {
    static const std::vector<FailureCase> cases = {
        {"ReadCommand", [](SimWheel& w) { w.failWrite(1); }, readNvm, -1,
         {"READ NVM : Unable to write()", "Error: Simulated write failure"}, 0},
        {"ReadFifthReport", [](SimWheel& w) { w.failRead(5); }, readNvm, -1,
         {"READ NVM : Unable to read_NVM()", "Error: Simulated read failure"}, 1},
        {"ReadTimeOut", [](SimWheel& w) { w.timeOutRead(3); }, readNvm, -1,
         {"READ NVM : Unable to read_NVM()", "Error: no report from the wheel within 1000 ms"}, 1},
        {"ReadShortReport", [](SimWheel& w) { w.shortRead(1, 12); }, readNvm, -1,
         {"READ NVM : Unable to read_NVM()", "Error: short report: 12 of 32 bytes"}, 1},
        {"ReadWheelPulled", [](SimWheel& w) { w.unplug(); }, [](Bench& b) {
             b.wheel.plug();
             WheelDevice& device = b.open();
             b.wheel.unplug();
             return ReadNVM(b.link, device.get());
         }, -1, {"READ NVM : Unable to write()", "Error: No such device"}, 0},
        {"WriteCommand", [](SimWheel& w) { w.failWrite(1); }, writeNvm, -1,
         {"WRITE NVM : Unable to write()", "Error: Simulated write failure"}, 0},
        {"WriteSeventhChunk", [](SimWheel& w) { w.failWrite(8); }, writeNvm, -1,
         {"WRITE NVM : Unable to write()", "Error: Simulated write failure"}, 7},
        {"FlashCommand", [](SimWheel& w) { w.failWrite(1); }, writeFlash, -1,
         {"Write flash 24672 bytes", "write_flash : Unable to write()", "Error: Simulated write failure"}, 0},
        {"FlashLastChunk", [](SimWheel& w) { w.failWrite(772); }, writeFlash, -1,
         {"Write flash 24672 bytes", "Write_flash : Unable to write()", "Error: Simulated write failure"}, 771},
        {"UpdateOpen", [](SimWheel& w) { w.failOpen(1); }, updateWrite, 0, {"UWD : Device open error"}, 0},
        {"UpdateWrite", [](SimWheel& w) { w.failWrite(20); }, updateWrite, 0,
         {"WRITE NVM : Unable to write()", "Error: Simulated write failure", "UWD : Device write error"}, 19},
    };
    return cases;
}

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class ProtocolFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ProtocolFailure, LogsEachFailureLineInOrderAndFails) {
    const FailureCase& c = GetParam();
    Bench bench;
    c.inject(bench.wheel);

    EXPECT_EQ(c.run(bench), c.result);

    EXPECT_EQ(bench.log.lines(), c.lines);
    EXPECT_EQ(bench.wheel.writtenReports().size(), c.reportsWritten);
    bench.device.reset();
    EXPECT_EQ(bench.wheel.openHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(EachStep, ProtocolFailure, ::testing::ValuesIn(failureCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrel
