#include "SendKit/protocol/StickFileEntry.h"

#include "SendKit/protocol/StickText.h"

StickFileEntry::StickFileEntry(const QString& name, quint32 size, quint32 mtime)
    : m_name(StickText::clean(name, nameLimit))
    , m_size(size)
    , m_mtime(mtime) {}
