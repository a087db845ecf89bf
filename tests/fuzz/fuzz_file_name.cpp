#include "SendKit/files/StickFileName.h"

#include <cstdlib>

// Any UTF-8 a file system may hold: problem() judges it without failing, and the name made from
// it with any known extension is one the stick accepts.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                           static_cast<qsizetype>(size - 1));
    StickFileName::problem(text);
    const QStringList extensions =
        StickFileName::stitchExtensions() + StickFileName::companionExtensions();
    const QString made = StickFileName::sanitized(text, extensions[data[0] % extensions.size()]);
    if (StickFileName::problem(made) || made.toUtf8().size() > StickFileName::maxLength)
        std::abort();
    return 0;
}
