#include "app/doccore/doc_file_list.h"

CDocFileList::CDocFileList(std::unique_ptr<CDocFileRecord> head) {
    m_records.push_back(std::move(head));
    m_current = m_records.front().get();
}

CDocFileRecord* CDocFileList::FindById(int id) const {
    for (const auto& r : m_records)
        if (r->id == id) return r.get();
    return nullptr;
}

int CDocFileList::FindByPath(std::u16string_view path) const {
    for (std::size_t i = 1; i < m_records.size(); ++i)
        if (m_records[i]->path == path) return m_records[i]->id;
    return -1;
}

void CDocFileList::Append(std::unique_ptr<CDocFileRecord> record) { m_records.push_back(std::move(record)); }

void CDocFileList::ActivateById(int id) {
    CDocFileRecord* next = FindById(id);
    if (!next) return;
    if (next == m_current && next->IsEditorVisible()) return;
    m_current->ShowEditor(false);
    m_current = next;
    if (Count() > 1) m_current->ShowEditor(true);
}

bool CDocFileList::CloseCurrent() {
    std::size_t at = 0;
    while (m_records[at].get() != m_current) ++at;
    if (at == 0) return false;
    CDocFileRecord* next;
    if (at > 1)
        next = m_records[at - 1].get();
    else if (at + 1 < m_records.size())
        next = m_records[at + 1].get();
    else
        next = m_records.front().get();
    m_current = next;
    m_records.erase(m_records.begin() + std::ptrdiff_t(at));
    return true;
}
