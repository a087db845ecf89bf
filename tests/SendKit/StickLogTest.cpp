#include "SendKit/StickLog.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <system_error>

namespace {

TEST(StickLog, BuildsLinesOnlyWhileASinkListensWhichMayWriteToTheLogItself) {
    QStringList lines;
    StickLog::setSink([&](const QString& line) {
        lines << line;
        if (lines.size() == 1)
            StickLog::write([] { return QStringLiteral("nested"); });
    });
    StickLog::write([] { return QStringLiteral("outer"); });
    StickLog::setSink({});
    StickLog::write([]() -> QString { throw std::logic_error("built without a sink"); });
    EXPECT_EQ(lines, (QStringList{"outer", "nested"}));
}

TEST(StickLogDescribe, WritesAnyCaughtError) {
    EXPECT_EQ(StickLog::describe(std::exception_ptr()), "none");
    EXPECT_EQ(StickLog::describe(std::make_exception_ptr(StickError::timeout())),
              "StickError.timeout");
    EXPECT_EQ(StickLog::describe(std::make_exception_ptr(std::runtime_error("broken \"pipe\""))),
              R"(std::runtime_error 0 "broken \"pipe\"")");
    const std::system_error denied(std::make_error_code(std::errc::permission_denied));
    EXPECT_EQ(StickLog::describe(std::make_exception_ptr(denied)),
              QStringLiteral("generic 13 \"%1\"").arg(QString::fromUtf8(denied.what())));
    EXPECT_EQ(StickLog::describe(std::make_exception_ptr(42)), "unknown 0 \"\"");
}

} // namespace
