#include "SendRig.h"

#include "SendKit/protocol/StickReply.h"

#include <gtest/gtest.h>

namespace {

void rewriteLastResult(SendRig& rig, std::function<void(StickReply::LastResult&)> change) {
    rig.rewrite[StickOpcode::lastResult] = [change](StickFrame::Response& response) {
        StickReply::LastResult result = StickReply::lastResult(response.payload);
        change(result);
        response.payload = StickReply::payload(result);
    };
}

} // namespace

// --- A link lost while the stick commits -------------------------------------------------------

TEST(StickSendRecovery, ALastResultThatConfirmsTheFileLetsTheSendGoOnOverTheNewSession) {
    SendRig rig;
    rig.stick->setFaults({.dropLinkAfterCommit = true});
    // The name may differ in letter case; the receipt takes the stick's.
    rewriteLastResult(rig, [](auto& r) { r.storedName = r.storedName.toUpper(); });
    const StickFile first = stickFile("rose.dst", 9'000);
    const StickFile second = stickFile("tulip.pes", 3'000, 1);
    const StickReceipt receipt = rig.send({first, second});

    EXPECT_EQ(receipt.files, (QList<StickReceipt::Stored>{{"ROSE.DST", 9'000, first.sha256()},
                                                          {"tulip.pes", 3'000, second.sha256()}}));
    EXPECT_EQ(rig.stick->files().at("rose.dst").data, first.data());
    EXPECT_EQ(rig.reconnects, 1);
    EXPECT_EQ(rig.requests().at(4).link, 1);
    EXPECT_EQ(rig.opcodes().mid(3),
              (QList{StickOpcode::commit, StickOpcode::getInfo, StickOpcode::lastResult,
                     StickOpcode::begin, StickOpcode::commit}));
}

TEST(StickSendRecovery, ALastResultThatDoesNotConfirmTheFileEndsTheSend) {
    const QList<std::pair<const char*, std::function<void(StickReply::LastResult&)>>> cases = {
        {"no status", [](auto& r) { r.status.reset(); }},
        {"other digest", [](auto& r) { r.storedSHA256[0] = char(r.storedSHA256[0] ^ 1); }},
        {"other name", [](auto& r) { r.storedName = "rose.pes"; }},
    };
    for (const auto& [what, change] : cases) {
        SCOPED_TRACE(what);
        SendRig rig;
        rig.stick->setFaults({.dropLinkAfterCommit = true});
        rewriteLastResult(rig, change);
        EXPECT_EQ(rig.failure({stickFile("rose.dst", 9'000)}), StickError::transferInterrupted());
        EXPECT_EQ(rig.reconnects, 1);
    }
}

TEST(StickSendRecovery, ReconnectsOncePerFileAndAFailureWhileRecoveringIsThrownAsItIs) {
    SendRig rig;
    rig.stick->setFaults({.dropLinkAfterCommit = true});
    // The next commit drops the link again.
    rig.onPhase = [&rig](const StickSendPhase& phase) {
        if (phase == StickSendPhase{StickSendPhase::Verifying{"tulip.pes"}})
            rig.stick->setFaults({.dropLinkAfterCommit = true});
    };
    EXPECT_EQ(rig.send({stickFile("rose.dst", 100), stickFile("tulip.pes", 100)}).files.size(), 2);
    EXPECT_EQ(rig.reconnects, 2);

    SendRig unreachable;
    unreachable.stick->setFaults({.dropLinkAfterCommit = true});
    unreachable.reconnectFailure = StickError::stickUnreachable();
    EXPECT_EQ(unreachable.failure({stickFile("rose.dst", 100)}), StickError::stickUnreachable());

    SendRig lostAgain;
    lostAgain.stick->setFaults({.dropLinkAfterCommit = true});
    lostAgain.lost.insert(StickOpcode::lastResult);
    EXPECT_EQ(lostAgain.failure({stickFile("rose.dst", 100)}), StickError::timeout());
    EXPECT_EQ(lostAgain.reconnects, 1);
}

TEST(StickSendRecovery, TheReceiptNamesTheActiveVolumeOfTheLatestInformationElseOfTheStart) {
    struct Case {
        const char* what;
        std::function<void(StickInfo&)> latest;
        StickVolume::Kind expected;
    };
    const QList<Case> cases = {
        {"the card became active",
         [](StickInfo& info) {
             info.volumes[0].isActive = false;
             info.volumes[1] = StickVolume::fromWire(
                 1, StickVolume::presentFlag | StickVolume::activeFlag, 1'000'000, 1'000'000);
         },
         {StickVolume::Kind::SDCard{}}},
        {"no volume active any more",
         [](StickInfo& info) {
             for (StickVolume& volume : info.volumes)
                 volume.isActive = false;
         },
         {StickVolume::Kind::Internal{}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SendRig rig;
        rig.stick->setFaults({.dropLinkAfterCommit = true});
        // Only the new session's information changes.
        rig.onPhase = [&](const StickSendPhase& phase) {
            if (std::holds_alternative<StickSendPhase::Verifying>(phase.value))
                rig.rewriteInfo(c.latest);
        };
        EXPECT_EQ(rig.send({stickFile("rose.dst", 100)}).volume, c.expected);
    }
}

TEST(StickSendRecovery, OtherCommitFailuresEndTheSendWithoutReconnectingOrAborting) {
    SendRig rig;
    rig.lost.insert(StickOpcode::commit);
    EXPECT_EQ(rig.failure({stickFile("rose.dst", 100)}), StickError::timeout());
    EXPECT_EQ(rig.harness.now(), StickSession::commitTimeout);
    EXPECT_EQ(rig.reconnects, 0);
    EXPECT_EQ(rig.count(StickOpcode::abort), 0);
}

// --- Abandoned transfers -----------------------------------------------------------------------

TEST(StickSendAbort, AStoppedStreamIsFollowedByExactlyOneAbortWhateverBecomesOfIt) {
    const QList<std::pair<const char*, std::function<void(SendRig&)>>> abortFates = {
        {"refused",
         [](SendRig& rig) {
             rig.rewrite[StickOpcode::abort] = [](StickFrame::Response& response) {
                 response.status = StickStatus{StickStatus::internal};
             };
         }},
        {"times out", [](SendRig& rig) { rig.lost.insert(StickOpcode::abort); }},
    };
    for (const auto& [what, abortFate] : abortFates) {
        SCOPED_TRACE(what);
        SendRig rig;
        abortFate(rig);
        rig.onPhase = [&rig](const StickSendPhase& phase) {
            if (std::holds_alternative<StickSendPhase::Sending>(phase.value))
                rig.stop.request_stop();
        };
        EXPECT_EQ(rig.failure({stickFile("rose.dst", 30'000)}), StickError::cancelled());
        EXPECT_EQ(rig.opcodes(), (QList{StickOpcode::getInfo, StickOpcode::list, StickOpcode::begin,
                                        StickOpcode::abort}));
        EXPECT_TRUE(rig.stick->files().empty());
    }
}

TEST(StickSendAbort, ABusyMachineAtCommitIsAbortedOnceBeforeTheErrorReachesTheCaller) {
    SendRig rig;
    rig.stick->setFaults({.hostBusyCommits = 1});
    EXPECT_EQ(rig.failure({stickFile("rose.dst", 100), stickFile("tulip.pes", 100)}),
              StickError::machineBusy());
    EXPECT_EQ(rig.opcodes().last(), StickOpcode::abort);
    EXPECT_EQ(rig.count(StickOpcode::abort), 1);
    EXPECT_EQ(rig.reconnects, 0);
    EXPECT_TRUE(rig.stick->files().empty());
}
