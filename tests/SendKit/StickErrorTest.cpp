#include "SendKit/StickError.h"
#include "SendKit/StickLog.h"

#include <gtest/gtest.h>

namespace {

StickStatus status(quint8 raw) {
    return StickStatus{raw};
}

TEST(StickErrorStatus, MapsNamedStatusesToTheirOwnCasesAndRefusesTheRest) {
    const std::pair<quint8, StickError> cases[] = {
        {StickStatus::unsupportedVersion, StickError::firmwareIncompatible("?", "?")},
        {StickStatus::hostBusy, StickError::machineBusy()},
        {StickStatus::busy, StickError::stickBusy()},
        {StickStatus::noSpace, StickError::storageFull()},
        {StickStatus::hashMismatch, StickError::integrityMismatch()},
        {StickStatus::storageError, StickError::storageError()},
        {StickStatus::noMedium, StickError::noMedium()},
        {StickStatus::mtuTooSmall, StickError::mtuTooSmall()},
        {StickStatus::timeout, StickError::timeout()},
        {StickStatus::noTransfer, StickError::refused(status(StickStatus::noTransfer))},
        {200, StickError::refused(status(200))},
    };
    for (const auto& [raw, expected] : cases) {
        EXPECT_EQ(StickError::forStatus(status(raw)), expected) << "status " << int(raw);
        try {
            StickError::check(status(raw));
            ADD_FAILURE() << "status " << int(raw) << " passed the check";
        } catch (const StickError& error) {
            EXPECT_EQ(error, expected);
        }
    }
    EXPECT_EQ(StickError::forStatus(status(StickStatus::ok)), std::nullopt);
    EXPECT_NO_THROW(StickError::check(status(StickStatus::ok)));
}

TEST(StickErrorText, WritesCaseNameAndEscapedPayload) {
    EXPECT_EQ(StickLog::describe(std::nullopt), "none");
    EXPECT_EQ(StickLog::describe(StickError::timeout()), "StickError.timeout");
    EXPECT_EQ(StickLog::describe(StickError::refused(status(7))), "StickError.refused(BAD_NAME)");
    EXPECT_EQ(StickLog::describe(StickError::refused(status(0x13))), "StickError.refused(0x13)");
    EXPECT_EQ(StickLog::describe(StickError::fileTooLarge(1048576)),
              "StickError.fileTooLarge(limit: 1048576)");
    EXPECT_EQ(StickLog::describe(StickError::nameExists({"a.dst", "b.pes"})),
              "StickError.nameExists([\"a.dst\", \"b.pes\"])");
    EXPECT_EQ(StickLog::describe(StickError::firmwareIncompatible("2.1", "1.0.10")),
              "StickError.firmwareIncompatible(stickProtocol: \"2.1\", firmware: \"1.0.10\")");
    EXPECT_STREQ(StickError::nameRejected("say \"hi\"\\.dst").what(),
                 R"(StickError.nameRejected("say \"hi\"\\.dst"))");
    EXPECT_EQ(StickLog::describe(StickError::notFound("two\nlines\t\x01")),
              R"(StickError.notFound("two\nlines\t\x01"))");
}

} // namespace
