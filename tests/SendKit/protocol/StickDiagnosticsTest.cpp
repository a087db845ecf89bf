#include "SendKit/protocol/StickDiagnostics.h"

#include "SendKit/protocol/StickWriter.h"

#include <gtest/gtest.h>

namespace {

// A record with a distinct value in every field, so that a field read from the wrong offset shows
// in the rendering, which names every field.
struct RecordBuilder {
    quint8 version = 5;
    QList<quint32> pcs = {0x400D1234, 0x400D5678, 0x40081000, 0x40081004,
                          0x40081008, 0x4008100C, 0x40081010, 0x40081014};
    QByteArray reasonField = "LoadProhibited";
    QByteArray taskField = "link";

    QByteArray bytes() const {
        StickWriter w;
        w.u8(version);
        w.bytes(QByteArray::fromHex("02 04050000 0201 01 01"
                                    "14131211 24232221 34333231 44434241 54535251 6261"
                                    "04 0f 0807 0a09 01"));
        w.bytes(reasonField.leftJustified(24, '\0', true));
        w.bytes(taskField.leftJustified(16, '\0', true));
        for (int i = 0; i < 8; ++i)
            w.u32(i < pcs.size() ? pcs[i] : 0);
        w.bytes(QByteArray::fromHex("74737271 8281 94939291 01"));
        return w.data();
    }
};

StickDiagnostics decoded(const QByteArray& bytes) {
    const auto record = StickDiagnostics::decode(bytes);
    if (!record)
        ADD_FAILURE() << "no record decoded from " << bytes.toHex().constData();
    return record.value_or(StickDiagnostics{});
}

} // namespace

TEST(StickDiagnostics, ShortRecordsRenderTheGroupsTheyHold) {
    const auto first = decoded(QByteArray::fromHex("01000000000000000000"));
    EXPECT_EQ(first, StickDiagnostics{});
    EXPECT_EQ(first.description(),
              "last pairing no pairing yet, status 0x0 (ok), 0 pairing(s) since boot, bonds "
              "stored: no, pairing mode: closed");

    const auto third = decoded(QByteArray::fromHex("03"                     // version
                                                   "03 00000000 0200 01 00" // pairing
                                                   "78000000 00000000 01000000 00000000"
                                                   "00F00000 F700"      // transfer
                                                   "01 00 0008 6C07")); // restart
    EXPECT_EQ(third.description(),
              "last pairing secured, status 0x0 (ok), 2 pairing(s) since boot, bonds stored: yes, "
              "pairing mode: closed; transfer: 120 data writes seen, 61440 bytes accepted, 0 "
              "dropped (queue full), 1 NACKs, 0 notifications given up, MTU 247; last restart: "
              "power-on during idle, link stack free 2048 B then, 1900 B now");
}

TEST(StickDiagnostics, FullRecordRendersEveryGroup) {
    RecordBuilder builder;
    builder.pcs = {0x400D1234, 0xABC};
    const auto record = decoded(builder.bytes());
    EXPECT_EQ(record.description(),
              "last pairing FAILED, status 0x504 (the iPad ended pairing: confirm value failed — "
              "wrong passkey), 258 pairing(s) since boot, bonds stored: yes, pairing mode: open; "
              "transfer: 286397204 data writes seen, 1364349780 bytes accepted, 555885348 dropped "
              "(queue full), 825373492 NACKs, 1094861636 notifications given up, MTU 24930; last "
              "restart: CRASH (panic) during COMMIT: writing the file, link stack free 1800 B "
              "then, 2314 B now; crash: \"LoadProhibited\" in task link on core 1, backtrace "
              "0x400D1234 0x00000ABC; machine: 1903326068 block I/Os since boot, 33154 in the "
              "last minute, longest pause 2442302356 ms; internal volume aligned");
}

// Every length of a full record: which groups survive a cut, and that a cut never lets a later
// group read bytes of an earlier one.
TEST(StickDiagnostics, RecordCutAnywhereKeepsOnlyTheWholeGroupsBeforeTheCut) {
    const RecordBuilder builder;
    const QByteArray full = builder.bytes();
    ASSERT_EQ(full.size(), 122);
    for (qsizetype length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE(length);
        const auto record = StickDiagnostics::decode(full.first(length));
        if (length < 10) {
            EXPECT_FALSE(record);
            continue;
        }
        ASSERT_TRUE(record);
        EXPECT_EQ(record->status, 0x0504);
        EXPECT_EQ(record->transfer.has_value(), length >= 32);
        EXPECT_EQ(record->restart.has_value(), length >= 38);
        EXPECT_EQ(record->usage.has_value(), length == 122);
        if (length < 79) {
            EXPECT_FALSE(record->panic);
        } else {
            ASSERT_TRUE(record->panic);
            EXPECT_EQ(record->panic->pcs,
                      builder.pcs.first(std::min<qsizetype>((length - 79) / 4, 8)));
        }
    }

    // The version, not the length, decides which groups are read.
    RecordBuilder older;
    older.version = 2;
    const auto record = decoded(older.bytes());
    EXPECT_TRUE(record.transfer && !record.restart && !record.panic && !record.usage);
    older.version = 0;
    EXPECT_FALSE(StickDiagnostics::decode(older.bytes()));
}

TEST(StickDiagnostics, PanicNeedsAReasonOrABacktraceAndItsTextsStayOnOneLine) {
    RecordBuilder builder;
    builder.version = 4;
    builder.reasonField = QByteArray("\0stale", 6);
    builder.pcs = {};
    EXPECT_FALSE(decoded(builder.bytes()).panic);

    // Fields stop at the first zero, else fill their width; invalid UTF-8 is replaced, and line
    // breaks are replaced in the rendering only.
    builder.reasonField = QByteArray(23, 'R') + '\n';
    builder.taskField = QByteArray("t\xC3\xA4sk\xFF\xE2\x80\xA8\0junk", 14);
    const auto record = decoded(builder.bytes());
    ASSERT_TRUE(record.panic);
    EXPECT_EQ(record.panic->reason, QString(23, QLatin1Char('R')) + '\n');
    EXPECT_EQ(record.panic->task, QStringLiteral("t\u00E4sk\uFFFD\u2028"));
    EXPECT_TRUE(
        record.description().contains(QString(23, QLatin1Char('R')) +
                                      QStringLiteral("\uFFFD\" in task t\u00E4sk\uFFFD\uFFFD on")))
        << record.description().toStdString();
}

TEST(StickDiagnostics, CodeTextsFallBackToTheNumber) {
    EXPECT_EQ(StickDiagnostics::explain(0x2AB), "controller (HCI) error 0xAB");
    EXPECT_EQ(StickDiagnostics::explain(0x510), "the iPad ended pairing: SMP reason 0x10");
    EXPECT_EQ(StickDiagnostics::explain(0x713), "NimBLE host code 1811");
    EXPECT_EQ(StickDiagnostics::resetReason(20), "reason 20");
    EXPECT_EQ(StickDiagnostics::stepText(23), "step 23");
    StickDiagnostics record;
    record.outcome = 4;
    EXPECT_TRUE(record.description().startsWith("last pairing outcome 4, status 0x0 (ok)"));
}
