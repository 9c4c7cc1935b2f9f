// Messages sent while the synthesiser is still on its way.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/midi/deferred_sink.h"

namespace {

using plat::DeferredSink;
using plat::DWORD;

constexpr DWORD kNotesOff = 0xFFFFFFFF;

// Notes AllNotesOff in line with the messages, as kNotesOff.
class InOrder : public plat::MidiSink {
public:
    explicit InOrder(std::vector<DWORD>& seen) : seen_(seen) {}
    void Send(DWORD message) override { seen_.push_back(message); }
    void AllNotesOff() override { seen_.push_back(kNotesOff); }

private:
    std::vector<DWORD>& seen_;
};

TEST(DeferredSink, WhatWasSentBeforeTheSinkArrivedReachesItFirstAndInOrder) {
    std::vector<DWORD> first, second;
    DeferredSink sink;
    sink.Send(0x08C0);  // program 8 on channel 0, as the game sends at start
    sink.Send(0x7F2799);
    sink.AllNotesOff();
    sink.Send(0x7F3090);
    sink.Arrive(std::make_unique<InOrder>(first));
    sink.Send(0x003090);
    sink.Arrive(std::make_unique<InOrder>(second));  // only the first arrival counts
    sink.Send(0x403C90);
    EXPECT_EQ(first, (std::vector<DWORD>{0x08C0, 0x7F2799, kNotesOff, 0x7F3090, 0x003090, 0x403C90}));
    EXPECT_TRUE(second.empty());
}

TEST(DeferredSink, AFloodKeepsItsStartAndNoSinkDropsEverything) {
    std::vector<DWORD> seen;
    DeferredSink flooded;
    for (DWORD k = 0; k < DeferredSink::kKeptMessages + 100; ++k) flooded.Send(k);
    flooded.Arrive(std::make_unique<InOrder>(seen));
    ASSERT_EQ(seen.size(), DeferredSink::kKeptMessages);
    EXPECT_EQ(seen.front(), 0u);
    EXPECT_EQ(seen.back(), DeferredSink::kKeptMessages - 1);

    DeferredSink silent;
    silent.Send(0x08C0);
    silent.Arrive(nullptr);
    silent.Send(0x7F2799);
    silent.AllNotesOff();
    silent.Arrive(std::make_unique<InOrder>(seen));
    EXPECT_EQ(seen.size(), DeferredSink::kKeptMessages) << "nothing reaches a sink after none arrived";
}

}  // namespace
