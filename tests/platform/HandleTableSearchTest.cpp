// The search of the system's handle table for a port's holder, over a table
// made like a Windows desktop's: only other processes' file handles are
// looked at, a process or handle that cannot be looked at makes the holder
// unseen instead of guessed, and a query that hangs does not end the search.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "platform/HandleTableSearch.h"

namespace fwut {
namespace {

constexpr std::uint16_t kFile = 37;
constexpr std::uint16_t kEvent = 16;
constexpr std::uint32_t kOwn = 7120;
constexpr std::uintptr_t kOwnFile = 0x2a4;

using Kind = HandleLook::Kind;
using Key = std::pair<std::uint32_t, std::uintptr_t>;

class RecordedTable final : public HandleTable {
public:
    std::optional<HandleSnapshot> table = HandleSnapshot{
        {
            {kOwn, 0x2a0, kEvent},
            {kOwn, kOwnFile, kFile},
            {4, 0x108, kFile},  // System
            {1312, 0x44, kFile},  // svchost.exe, a service
            {1312, 0x48, kFile},
            {5024, 0x50, kEvent},  // explorer.exe
            {5024, 0x9c, kFile},
            {5024, 0x3b0, kFile},
            {6210, 0x2c, kFile},  // a program whose console pipe hangs a query
            {6680, 0x1c4, kFile},  // putty.exe
        },
        kOwn,
        kOwnFile,
    };
    std::map<Key, HandleLook> looks = {
        {{4, 0x108}, {Kind::ProcessClosed, ""}},
        {{1312, 0x44}, {Kind::ProcessClosed, ""}},
        {{1312, 0x48}, {Kind::ProcessClosed, ""}},
        {{5024, 0x9c}, {Kind::NotADevice, ""}},
        {{5024, 0x3b0}, {Kind::Named, "\\Device\\ConDrv"}},
        {{6210, 0x2c}, {Kind::NoAnswer, ""}},
        {{6680, 0x1c4}, {Kind::Named, "\\Device\\VCP0"}},
    };
    int looksLeft = 100;
    int snapshots = 0;
    std::vector<Key> lookedAt;

    std::optional<HandleSnapshot> Snapshot() override
    {
        ++snapshots;
        return table;
    }
    HandleLook LookAt(const OpenHandle& handle) override
    {
        --looksLeft;
        lookedAt.emplace_back(handle.processId, handle.value);
        const auto look = looks.find({handle.processId, handle.value});
        return look != looks.end() ? look->second : HandleLook{Kind::NotADevice, ""};
    }
    PortHolder Describe(std::uint32_t processId) override
    {
        PortHolder holder;
        holder.program = processId == 6680 ? "putty.exe" : "?";
        holder.user = "tech";
        return holder;
    }
    bool TimeIsUp() override { return looksLeft <= 0; }
};

TEST(HandleTableSearch, NamesTheProcessWithThePortsObjectOpenAndLooksOnlyAtOtherProcessesFiles)
{
    RecordedTable recorded;
    const std::optional<PortHolder> holder = FindHandleHolder(recorded, "\\device\\vcp0");
    ASSERT_TRUE(holder && holder->IsSeen());
    EXPECT_EQ(holder->program, "putty.exe");
    EXPECT_EQ(holder->processId, 6680);
    EXPECT_EQ(holder->user, "tech");
    const std::set<Key> lookedAt(recorded.lookedAt.begin(), recorded.lookedAt.end());
    EXPECT_FALSE(lookedAt.contains({kOwn, kOwnFile}));
    EXPECT_FALSE(lookedAt.contains({5024, 0x50})) << "an event is no port";
    EXPECT_FALSE(lookedAt.contains({1312, 0x48})) << "a closed process is asked once";
    EXPECT_TRUE(lookedAt.contains({6210, 0x2c}) && lookedAt.contains({6680, 0x1c4}))
        << "a query that hung does not end the search";

    // Several ports in one pass: each gets its own answer, a port without a name none.
    const std::vector<std::optional<PortHolder>> holders =
        FindHandleHolders(recorded, {"\\Device\\Serial0", "\\Device\\VCP0", ""});
    ASSERT_EQ(holders.size(), 3u);
    EXPECT_TRUE(holders[0] && !holders[0]->IsSeen());
    EXPECT_TRUE(holders[1] && holders[1]->processId == 6680);
    EXPECT_FALSE(holders[2]);

    // Without our own file's entry no type is known: every other process's handle is looked at.
    recorded.table->ownFileHandle = 0x999;
    recorded.lookedAt.clear();
    EXPECT_TRUE(FindHandleHolder(recorded, "\\Device\\VCP0")->IsSeen());
    EXPECT_EQ(std::count(recorded.lookedAt.begin(), recorded.lookedAt.end(), Key{5024, 0x50}), 1);
}

TEST(HandleTableSearch, AHolderNotFoundIsUnseenOnlyWhereSomethingWasNotLookedAt)
{
    RecordedTable recorded;
    const std::optional<PortHolder> unseen = FindHandleHolder(recorded, "\\Device\\Serial0");
    ASSERT_TRUE(unseen);
    EXPECT_FALSE(unseen->IsSeen());
    EXPECT_EQ(unseen->program, "");
    EXPECT_EQ(unseen->deviceObject, "\\Device\\Serial0");

    // A process closed to us is enough to leave it unseen; every process looked at, none has it: no holder.
    recorded.looks[{6210, 0x2c}].kind = Kind::NotADevice;
    EXPECT_FALSE(FindHandleHolder(recorded, "\\Device\\Serial0").value_or(PortHolder{"x", 1, "", ""}).IsSeen());
    for (auto& [handle, look] : recorded.looks) {
        if (look.kind == Kind::ProcessClosed) {
            look.kind = Kind::NotADevice;
        }
    }
    EXPECT_FALSE(FindHandleHolder(recorded, "\\Device\\Serial0"));

    // The time spent before the holder is reached: it is not seen, not missing.
    recorded.looksLeft = 3;
    const std::optional<PortHolder> late = FindHandleHolder(recorded, "\\Device\\VCP0");
    ASSERT_TRUE(late);
    EXPECT_FALSE(late->IsSeen());

    recorded.table.reset();
    EXPECT_FALSE(FindHandleHolder(recorded, "\\Device\\VCP0")) << "no table, nothing to tell";
    const int taken = recorded.snapshots;
    EXPECT_FALSE(FindHandleHolders(recorded, {"", ""})[1]);
    EXPECT_EQ(recorded.snapshots, taken) << "no port with a name, no table taken";
}

}  // namespace
}  // namespace fwut
