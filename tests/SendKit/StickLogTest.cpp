#include "SendKit/StickLog.h"
#include "SendKit/protocol/StickWireError.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <system_error>

namespace {

// Installs a sink collecting lines for one test and removes it afterwards.
class StickLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        StickLog::setSink([this](const QString& line) { lines << line; });
    }
    void TearDown() override { StickLog::setSink({}); }

    QStringList lines;
};

TEST_F(StickLogTest, BuildsLinesOnlyWhileASinkListens) {
    int built = 0;
    auto line = [&] {
        ++built;
        return QStringLiteral("stick line %1").arg(built);
    };
    StickLog::write(line);
    StickLog::setSink({});
    StickLog::write(line);
    EXPECT_EQ(built, 1);
    EXPECT_EQ(lines, QStringList{"stick line 1"});
}

TEST_F(StickLogTest, SinkMayWriteToTheLogItself) {
    StickLog::setSink([this](const QString& line) {
        lines << line;
        if (lines.size() == 1)
            StickLog::write([] { return QStringLiteral("nested"); });
    });
    StickLog::write([] { return QStringLiteral("outer"); });
    EXPECT_EQ(lines, (QStringList{"outer", "nested"}));
}

TEST(StickLogDescribe, WritesAnyCaughtError) {
    EXPECT_EQ(StickLog::describe(std::exception_ptr()), "none");
    EXPECT_EQ(StickLog::describe(std::make_exception_ptr(StickError::timeout())),
              "StickError.timeout");
    EXPECT_EQ(StickLog::describe(std::make_exception_ptr(std::runtime_error("broken \"pipe\""))),
              R"(std::runtime_error 0 "broken \"pipe\"")");
    EXPECT_EQ(StickLog::describe(std::make_exception_ptr(StickWireError("3 trailing bytes"))),
              R"(StickWireError 0 "3 trailing bytes")");
    const std::system_error denied(std::make_error_code(std::errc::permission_denied));
    EXPECT_EQ(StickLog::describe(std::make_exception_ptr(denied)),
              QStringLiteral("generic 13 \"%1\"").arg(QString::fromUtf8(denied.what())));
    EXPECT_EQ(StickLog::describe(std::make_exception_ptr(42)), "unknown 0 \"\"");
}

} // namespace
