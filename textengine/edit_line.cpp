#include "textengine/edit_line.h"
#include "textengine/layout_generation.h"
#include "textengine/utf16.h"

#include <cstring>

constinit MPool LineTextPool(0x40000, 0x800000);
constinit CMemPool LineRecordPool(sizeof(CEditLine), 256);

namespace {

// Shared by every line that never held text and by the dummy line; never
// written (capacity 0 makes every insert allocate first).
char16_t g_emptyText[1] = {0};
CEditLine g_dummy = {g_emptyText, 0, 1, 0, -1};

constexpr int kShrinkSlack = 128;

}  // namespace

CEditLine* CEditLine::Create() {
    MPoolLock lock;
    return CreateLocked();
}

CEditLine* CEditLine::CreateLocked() {
    auto* line = static_cast<CEditLine*>(LineRecordPool.AllocLocked());
    if (line) *line = {g_emptyText, 0, 1, 0, -1};
    return line;
}

void CEditLine::Destroy(CEditLine* line) {
    if (!line || line == &g_dummy) return;
    if (line->capacity > 0) mpool_free(line->text);  // shared or loaded texts are not the line's
    LineRecordPool.Free(line);
}

CEditLine* CEditLine::Dummy() {
    // Callers might have scribbled on it despite the rules; keep it empty
    // (written only then, so threads reading it do not race).
    if (g_dummy.text != g_emptyText || g_dummy.capacity != 0 || g_dummy.length != 1 || g_dummy.flags != 0 ||
        g_dummy.changeMark != -1 || g_emptyText[0] != 0) {
        g_dummy = {g_emptyText, 0, 1, 0, -1};
        g_emptyText[0] = 0;
    }
    return &g_dummy;
}

bool CEditLine::IsSharedText() const { return text == g_emptyText; }

bool CEditLine::IsLeadSurrogateAt(int index) const {
    return index >= 0 && index < length && utf16_is_high_surrogate(text[index]);
}

int CEditLine::SetCapacity(int bytes) {
    if (capacity == 0) {
        // The shared empty text or a loaded file's text: a block of its own,
        // holding what the line holds so far.
        auto* block = static_cast<char16_t*>(mpool_alloc(&LineTextPool, std::size_t(bytes)));
        if (!block) return 1;
        const int keep = length * int(sizeof(char16_t));
        std::memcpy(block, text, std::size_t(keep < bytes ? keep : bytes));
        if (keep > bytes) block[bytes / int(sizeof(char16_t)) - 1] = 0;
        text = block;
        capacity = int(mpool_block_size(block));
        return 0;
    }
    if (mpool_granted_size(&LineTextPool, std::size_t(bytes)) != std::size_t(capacity)) {
        auto* block = static_cast<char16_t*>(mpool_alloc(&LineTextPool, std::size_t(bytes)));
        if (!block) return 1;  // keep the old text: the line stays usable
        std::memcpy(block, text, std::size_t(bytes < capacity ? bytes : capacity));
        mpool_free(text);
        text = block;
        capacity = int(mpool_block_size(block));
    }
    return 0;
}

int CEditLine::InsertChars(int at, const char16_t* chars, int count) {
    if (count <= 0) return 0;
    if ((long long)(length + (long long)count) * 2 + 2 > 0x7FFFFFFF) return 1;
    const int needed = (length + count) * int(sizeof(char16_t));
    if (needed >= capacity && SetCapacity(needed + int(sizeof(char16_t))) != 0) return 1;
    flags |= FlagTextChanged;
    BumpLayoutGeneration();
    const int end = length - 1;
    if (at < end) std::memmove(text + at + count, text + at, std::size_t(end - at) * sizeof(char16_t));
    std::memcpy(text + at, chars, std::size_t(count) * sizeof(char16_t));
    length += count;
    text[length - 1] = 0;
    return 0;
}

int CEditLine::DeleteChars(int at, int count) {
    if (count <= 0) return 0;
    flags |= FlagTextChanged;
    BumpLayoutGeneration();
    std::memmove(text + at, text + at + count, std::size_t(length - at - count) * sizeof(char16_t));
    length -= count;
    const int used = length * int(sizeof(char16_t));
    if (capacity - used > kShrinkSlack) SetCapacity(used + int(sizeof(char16_t)));  // a failed shrink keeps the block
    return 0;
}
