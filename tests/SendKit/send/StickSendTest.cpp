#include "SendRig.h"

#include "SendKit/protocol/StickReply.h"

#include <gtest/gtest.h>

namespace {

const quint32 maxFileSize = LoopbackStick::psramStage;

StickSendPhase sending(double fraction, const QString& file) {
    return {StickSendPhase::Sending{fraction, file}};
}
StickSendPhase verifying(const QString& file) {
    return {StickSendPhase::Verifying{file}};
}

// The phases with repeats of the same kind for the same file folded into one.
QStringList outline(const QList<StickSendPhase>& phases) {
    QStringList result;
    for (const StickSendPhase& phase : phases) {
        QString line = QStringLiteral("checking");
        if (const auto* s = std::get_if<StickSendPhase::Sending>(&phase.value))
            line = QStringLiteral("sending ") + s->file;
        else if (const auto* v = std::get_if<StickSendPhase::Verifying>(&phase.value))
            line = QStringLiteral("verifying ") + v->file;
        if (result.isEmpty() || result.last() != line)
            result.append(line);
    }
    return result;
}

void rewriteCommit(SendRig& rig, std::function<void(StickReply::Commit&)> change) {
    rig.rewrite[StickOpcode::commit] = [change](StickFrame::Response& response) {
        StickReply::Commit commit = StickReply::commit(response.payload);
        change(commit);
        response.payload = StickReply::payload(commit);
    };
}

} // namespace

// --- The checks before anything is transferred -------------------------------------------------

TEST(StickSendChecks, AFileThatBreaksALimitStopsTheSendBeforeAnyTransfer) {
    struct Case {
        const char* what;
        QList<StickFile> files;
        StickError expected;
        std::function<void(SendRig&)> setUp = {};
    };
    const QList<Case> cases = {
        {"illegal second name",
         {stickFile("fine.dst", 100), stickFile("bad/name.dst", 100)},
         StickError::nameRejected("bad/name.dst")},
        {"one byte over the limit",
         {stickFile("big.dst", maxFileSize + 1)},
         StickError::fileTooLarge(maxFileSize)},
        {"the first failing file wins",
         {stickFile("empty.dst", 0), stickFile("big.dst", maxFileSize + 1)},
         StickError::protocolError("empty file empty.dst")},
        {"no active volume",
         {stickFile("rose.dst", 100)},
         StickError::noMedium(),
         [](SendRig& rig) {
             rig.rewriteInfo([](StickInfo& info) {
                 for (StickVolume& volume : info.volumes)
                     volume.isActive = false;
             });
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SendRig rig;
        if (c.setUp)
            c.setUp(rig);
        EXPECT_EQ(rig.failure(c.files), c.expected);
        EXPECT_EQ(rig.opcodes(), QList{StickOpcode::getInfo});
        EXPECT_EQ(rig.phases, QList{StickSendPhase{StickSendPhase::Checking{}}});
    }
}

TEST(StickSendChecks, AFileOfExactlyTheLimitIsSentAndKnownInformationIsNotAskedAgain) {
    SendRig rig;
    rig.harness.run(rig.sessions.first()->getInfo());
    const StickFile file = stickFile("full.dst", maxFileSize);
    EXPECT_EQ(rig.send({file}).files.first().size, maxFileSize);
    EXPECT_EQ(rig.stick->files().at("full.dst").data, file.data());
    EXPECT_EQ(rig.count(StickOpcode::getInfo), 1);
}

// --- Names already on the stick ----------------------------------------------------------------

TEST(StickSendOverwrite, NamesOnTheStickInAnyLetterCaseAreRefusedUnlessOverwriting) {
    SendRig rig;
    rig.stick->store("DESIGN.DST", "old");
    const QList<StickFile> files = {stickFile("flower.pes", 100), stickFile("Design.dst", 100)};
    EXPECT_EQ(rig.failure(files), StickError::nameExists({"Design.dst"}));
    EXPECT_EQ(rig.opcodes(), (QList{StickOpcode::getInfo, StickOpcode::list}));

    const auto before = rig.requests().size();
    EXPECT_EQ(rig.send(files, true).files.size(), 2);
    EXPECT_EQ(rig.stick->files().size(), 2u);
    EXPECT_EQ(rig.stick->files().at("Design.dst").data, files[1].data());
    int overwriting = 0;
    for (const SendRig::Request& request : rig.requests().mid(before)) {
        EXPECT_NE(StickOpcode(request.frame.opcode), StickOpcode::list);
        if (StickOpcode(request.frame.opcode) == StickOpcode::begin)
            overwriting += StickRequest::decodeBegin(request.frame.body).overwrite;
    }
    EXPECT_EQ(overwriting, 2);
}

// --- Progress ----------------------------------------------------------------------------------

TEST(StickSendPhases, EachFileStreamsThenVerifiesWithFractionsRisingToOneAtTheLastAck) {
    SendRig rig;
    rig.send({stickFile("a.inf", 20'000), stickFile("b.dst", 39'000, 1)});

    EXPECT_EQ(outline(rig.phases), (QStringList{"checking", "sending a.inf", "verifying a.inf",
                                                "sending b.dst", "verifying b.dst"}));
    // The last acknowledgement of a file completes exactly its share of all bytes.
    const auto aDone = rig.phases.indexOf(verifying("a.inf"));
    EXPECT_EQ(rig.phases[aDone - 1], sending(20'000 / 59'000.0, "a.inf"));
    EXPECT_EQ(rig.phases[rig.phases.size() - 2], sending(1.0, "b.dst"));
    double previous = 0;
    for (const StickSendPhase& phase : rig.phases) {
        if (const auto* sending = std::get_if<StickSendPhase::Sending>(&phase.value)) {
            EXPECT_GE(sending->fraction, previous);
            previous = sending->fraction;
        }
    }
}

// --- The receipt -------------------------------------------------------------------------------

TEST(StickSendReceipt, DescribesWhatTheStickStoredUnderItsOwnNamesWhereAndWhen) {
    SendRig rig;
    // The only chunk of the first file is lost, so the stream waits a second before sending it
    // again.
    rig.stick->setFaults({.dropChunksAt = {0}});
    rewriteCommit(rig, [](StickReply::Commit& commit) {
        if (commit.storedName == "Rose.dst")
            commit.storedName = "ROSE.DST";
    });
    const StickFile colours = stickFile("rose.inf", 400);
    const StickFile stitches = stickFile("Rose.dst", 20'000, 1);
    const StickReceipt receipt = rig.send({colours, stitches});

    const StickReceipt expected{
        SendRig::stickName,
        {{"rose.inf", 400, colours.sha256()}, {"ROSE.DST", 20'000, stitches.sha256()}},
        {StickVolume::Kind::Internal{}},
        1.0,
        SendRig::stamp};
    EXPECT_EQ(receipt, expected);
    EXPECT_EQ(rig.stick->files().at("rose.inf").mtime, SendRig::stamp);
    EXPECT_EQ(rig.stick->commitLog(), (QStringList{"rose.inf", "Rose.dst"}));
}

// --- Integrity ---------------------------------------------------------------------------------

TEST(StickSendIntegrity, WhatTheStickStoredMustBeWhatWasSent) {
    const QList<std::pair<const char*, std::function<void(StickReply::Commit&)>>> cases = {
        {"digest differs in one byte",
         [](StickReply::Commit& c) { c.storedSHA256[31] = char(c.storedSHA256[31] ^ 1); }},
        {"size differs", [](StickReply::Commit& c) { c.storedSize -= 1; }},
    };
    for (const auto& [what, change] : cases) {
        SCOPED_TRACE(what);
        SendRig rig;
        rewriteCommit(rig, change);
        EXPECT_EQ(rig.failure({stickFile("rose.dst", 9'000), stickFile("tulip.pes", 100)}),
                  StickError::integrityMismatch());
        // The send goes no further, and what the stick stored is left alone.
        EXPECT_EQ(rig.opcodes().last(), StickOpcode::commit);
        EXPECT_EQ(rig.count(StickOpcode::begin), 1);
    }
}

// --- The order of files ------------------------------------------------------------------------

TEST(StickSendFiles, CompanionFilesGoFirstAndEachGroupKeepsItsOrder) {
    const QStringList names = {"a.dst", "a.INF", "b.pes", "b.png", "readme", "c.txt", "d.col"};
    QList<StickFile> files;
    for (const QString& name : names)
        files.append(StickFile(name, "x"));
    QStringList ordered;
    for (const StickFile& file : StickSend::companionsFirst(files))
        ordered.append(file.name());
    EXPECT_EQ(ordered,
              (QStringList{"a.INF", "b.png", "d.col", "a.dst", "b.pes", "readme", "c.txt"}));
}
