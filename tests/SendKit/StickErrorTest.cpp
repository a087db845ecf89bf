#include "SendKit/StickError.h"
#include "SendKit/StickLog.h"

#include <gtest/gtest.h>

#include <map>

namespace {

StickStatus status(quint8 raw) {
    return StickStatus{raw};
}

TEST(StickErrorStatus, MapsEveryStatusByte) {
    const std::map<quint8, StickError> ownCases = {
        {StickStatus::unsupportedVersion, StickError::firmwareIncompatible("?", "?")},
        {StickStatus::hostBusy, StickError::machineBusy()},
        {StickStatus::busy, StickError::stickBusy()},
        {StickStatus::noSpace, StickError::storageFull()},
        {StickStatus::hashMismatch, StickError::integrityMismatch()},
        {StickStatus::storageError, StickError::storageError()},
        {StickStatus::noMedium, StickError::noMedium()},
        {StickStatus::mtuTooSmall, StickError::mtuTooSmall()},
        {StickStatus::timeout, StickError::timeout()},
    };
    EXPECT_EQ(StickError::forStatus(status(StickStatus::ok)), std::nullopt);
    for (int raw = 1; raw <= 255; ++raw) {
        const auto it = ownCases.find(quint8(raw));
        const StickError expected =
            it != ownCases.end() ? it->second : StickError::refused(status(quint8(raw)));
        EXPECT_EQ(StickError::forStatus(status(quint8(raw))), expected) << "status " << raw;
    }
}

TEST(StickErrorStatus, CheckPassesOnlyOK) {
    EXPECT_NO_THROW(StickError::check(status(StickStatus::ok)));
    try {
        StickError::check(status(StickStatus::noTransfer));
        FAIL() << "NO_TRANSFER passed the general check";
    } catch (const StickError& error) {
        EXPECT_EQ(error, StickError::refused(status(StickStatus::noTransfer)));
    }
    EXPECT_THROW(StickError::check(status(200)), StickError);
}

TEST(StickErrorEquality, ComparesCaseAndPayload) {
    EXPECT_EQ(StickError::nameExists({"a.dst", "b.dst"}),
              StickError::nameExists({"a.dst", "b.dst"}));
    EXPECT_NE(StickError::nameExists({"a.dst", "b.dst"}),
              StickError::nameExists({"b.dst", "a.dst"}));
    EXPECT_NE(StickError::refused(status(7)), StickError::refused(status(8)));
    EXPECT_NE(StickError::notFound("a"), StickError::nameRejected("a"));
    EXPECT_NE(StickError::timeout(), StickError::cancelled());
    EXPECT_EQ(StickError(StickError::FileTooLarge{5}), StickError::fileTooLarge(5));
}

TEST(StickErrorInspection, GivesThePayloadOfItsCaseOnly) {
    const StickError error = StickError::nameExists({"a.dst"});
    EXPECT_TRUE(error.is<StickError::NameExists>());
    EXPECT_FALSE(error.is<StickError::NameRejected>());
    ASSERT_NE(error.get<StickError::NameExists>(), nullptr);
    EXPECT_EQ(error.get<StickError::NameExists>()->names, QStringList{"a.dst"});
    EXPECT_EQ(error.get<StickError::NotFound>(), nullptr);
}

TEST(StickErrorText, WritesCaseNameAndPayload) {
    EXPECT_EQ(StickLog::describe(std::nullopt), "none");
    EXPECT_EQ(StickLog::describe(StickError::timeout()), "StickError.timeout");
    EXPECT_EQ(StickLog::describe(StickError::refused(status(7))), "StickError.refused(BAD_NAME)");
    EXPECT_EQ(StickLog::describe(StickError::refused(status(0x13))), "StickError.refused(0x13)");
    EXPECT_EQ(StickLog::describe(StickError::fileTooLarge(1048576)),
              "StickError.fileTooLarge(limit: 1048576)");
    EXPECT_EQ(StickLog::describe(StickError::nameRejected("a.dst")),
              "StickError.nameRejected(\"a.dst\")");
    EXPECT_EQ(StickLog::describe(StickError::nameExists({"a.dst", "b.pes"})),
              "StickError.nameExists([\"a.dst\", \"b.pes\"])");
    EXPECT_EQ(StickLog::describe(StickError::nameExists({})), "StickError.nameExists([])");
    EXPECT_EQ(StickLog::describe(StickError::firmwareIncompatible("2.1", "1.0.10")),
              "StickError.firmwareIncompatible(stickProtocol: \"2.1\", firmware: \"1.0.10\")");
    EXPECT_EQ(StickLog::describe(StickError::protocolError("transfer id 0")),
              "StickError.protocolError(\"transfer id 0\")");
    EXPECT_EQ(StickLog::describe(StickError::transferInterrupted()),
              "StickError.transferInterrupted");
    EXPECT_STREQ(StickError::notFound("x").what(), "StickError.notFound(\"x\")");
}

TEST(StickErrorText, EscapesQuotedTexts) {
    EXPECT_EQ(StickLog::describe(StickError::nameRejected("say \"hi\"\\.dst")),
              R"(StickError.nameRejected("say \"hi\"\\.dst"))");
    EXPECT_EQ(StickLog::describe(StickError::notFound("two\nlines\t\x01")),
              R"(StickError.notFound("two\nlines\t\x01"))");
}

} // namespace
