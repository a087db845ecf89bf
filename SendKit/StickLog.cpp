#include "SendKit/StickLog.h"

#include <cxxabi.h>

#include <cstdlib>
#include <mutex>
#include <system_error>
#include <typeinfo>

namespace {

// The one piece of mutable global state of the transport: the sink, swapped whole under the lock
// so that a write in progress keeps the sink it started with.
std::mutex sinkLock;
std::shared_ptr<const StickLog::Sink> installedSink;

QString typeName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    return QString::fromUtf8(status == 0 && demangled ? demangled.get() : type.name());
}

} // namespace

void StickLog::setSink(Sink sink) {
    auto next = sink ? std::make_shared<const Sink>(std::move(sink)) : nullptr;
    const std::lock_guard lock(sinkLock);
    installedSink = std::move(next);
}

std::shared_ptr<const StickLog::Sink> StickLog::currentSink() {
    const std::lock_guard lock(sinkLock);
    return installedSink;
}

QString StickLog::describe(const std::optional<StickError>& error) {
    return error ? error->text() : QStringLiteral("none");
}

QString StickLog::describe(const std::exception_ptr& error) {
    if (!error)
        return QStringLiteral("none");
    try {
        std::rethrow_exception(error);
    } catch (const StickError& e) {
        return e.text();
    } catch (const std::system_error& e) {
        return QStringLiteral("%1 %2 %3")
            .arg(QString::fromUtf8(e.code().category().name()), QString::number(e.code().value()),
                 quoted(QString::fromUtf8(e.what())));
    } catch (const std::exception& e) {
        return typeName(typeid(e)) + QStringLiteral(" 0 ") + quoted(QString::fromUtf8(e.what()));
    } catch (...) {
        return QStringLiteral("unknown 0 \"\"");
    }
}

QString StickLog::quoted(const QString& text) {
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            out += u"\\\"";
            break;
        case u'\\':
            out += u"\\\\";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\t':
            out += u"\\t";
            break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\x%1").arg(uint(c.unicode()), 2, 16, QChar(u'0'));
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}
