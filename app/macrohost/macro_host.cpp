#include "app/macrohost/macro_host.h"

#include <algorithm>
#include <cstring>

#include "app/macrohost/macro_procs.h"
#include "scheme/ops.h"
#include "textengine/edit_data.h"

namespace {

const char* const kEventNames[kMacroEventCount] = {
    "on-cursor-moved", "on-selection-changed", "on-activate-app", "on-tab-changed",
    "on-open-file",    "on-close-file",        "on-file-saved",
};

void OutputWrite(scheme_context* ctx, const char16_t* text) {
    CEditData& out = MacroHostOf(ctx).Output();
    if (CUndoData* undo = out.GetUndo()) undo->CloseCoalescing();
    out.InsertText(text, 1);
}

void ErrorWrite(scheme_context* ctx, const char16_t* text) {
    CMacroHost& host = MacroHostOf(ctx);
    host.errorFlag = 1;
    host.errorText += text;
}

bool SameName(const char16_t* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (*a != static_cast<unsigned char>(*b)) return false;
    return *a == 0 && *b == 0;
}

}  // namespace

std::u16string MacroDoubleBackslashes(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text) {
        out += c;
        if (c == u'\\') out += c;
    }
    return out;
}

std::u16string MacroBoxText(const std::u16string& displayForm) {
    std::u16string text = displayForm;
    if (!text.empty() && text.back() == u')') text.pop_back();
    if (!text.empty() && text.front() == u'(') text.erase(0, 1);
    return text;
}

CMacroHost::CMacroHost(CMacroHostUi& ui) : ui_(ui), output_(std::make_unique<CEditData>()) {
    for (int i = 0; i < kMacroEventCount; ++i) events[i] = {i, kEventNames[i], nullptr};
}

CMacroHost::~CMacroHost() { scheme_destroy(ctx_); }

bool CMacroHost::Init(const scheme_host& platform) {
    auto fail = [this] {
        ui_.ShowBox(u"マクロの初期化に失敗しました。", u"Error", MacroBoxIcon::Warning);
        scheme_destroy(ctx_);
        ctx_ = nullptr;
        return false;
    };
    ctx_ = scheme_create(&platform);
    if (!ctx_) return fail();
    ctx_->host_data = this;
    ResetOutput();

    const std::u16string dir = ui_.ToolDir();
    const std::u16string lib = MacroDoubleBackslashes(dir + u"scmlib");
    const std::u16string define = u"(define *load-path* '(\"" + lib + u"\"))";
    scheme_eval_string(ctx_, define.c_str());

    scheme_port(ctx_->outport)->writer = OutputWrite;
    scheme_port(ctx_->errport)->writer = ErrorWrite;

    if (!RegisterProcedures()) return fail();
    if (!LoadStartupScript(dir + u"scmlib\\init.scm")) return fail();
    if (!LoadStartupScript(dir + u"scmlib\\wendrel.scm")) return fail();
    return true;
}

bool CMacroHost::LoadStartupScript(const std::u16string& path) {
    if (!ctx_->host.file_exists || !ctx_->host.file_exists(ctx_->host.user, path.c_str())) return true;
    // A Scheme error stops the script (its text is in the error port) and
    // start-up goes on; a file that does not open or a fatal error ends it.
    if (scheme_load_file(ctx_, path.c_str()) != 0 && !errorFlag) return false;
    if (errorFlag) {
        ui_.ShowBox(errorText, u"scheme error", MacroBoxIcon::Warning);
        // Shown once: the next script's report holds only its own errors.
        errorFlag = 0;
        errorText.clear();
    }
    return true;
}

bool CMacroHost::RegisterProcedures() {
    const struct {
        const MacroProcRow* rows;
        int count;
    } tables[] = {{kMacroAppProcs, kMacroAppProcCount}, {kMacroEditorProcs, kMacroEditorProcCount}};
    for (const auto& table : tables)
        for (int i = 0; i < table.count; ++i) {
            const MacroProcRow& row = table.rows[i];
            if (scheme_register_function(ctx_, row.name, row.fn, row.minArgs, row.maxArgs, row.letters) != 0)
                return false;
        }
    return true;
}

// --- the run wrapping ------------------------------------------------------------------

void CMacroHost::BeforeRun() { undoFiles_.push_back(ui_.BeginUndoGroup()); }

void CMacroHost::ResetOutput() {
    errorFlag = 0;
    errorText.clear();
    output_->Clear();
}

void CMacroHost::ShowRunning() {
    if (ui_.HasMainWindow()) ui_.SetStatusText(u"マクロ実行中...");
    messageShown = 0;
}

void CMacroHost::ReportResult() {
    if (ctx_ && ctx_->cancel_flag && ui_.HasMainWindow()) {
        messageShown = 1;
        ui_.SetStatusText(u"キャンセルしました");
        return;
    }
    if (errorFlag) {
        ui_.ShowBox(errorText, u"scheme error", MacroBoxIcon::Warning);
        return;
    }
    if (output_->GetLineCount() == 1 && output_->GetLineLength(0) == 0) return;
    ui_.ShowBox(output_->GetText(), u"scheme output", MacroBoxIcon::Information);
}

void CMacroHost::ClearStatus() {
    if (!messageShown) ui_.SetStatusText(u"");
    messageShown = 0;
}

void CMacroHost::AfterRun() {
    if (undoFiles_.empty()) return;
    const int file = undoFiles_.back();
    undoFiles_.pop_back();
    ui_.EndUndoGroup(file);
}

template <class Body>
void CMacroHost::Run(Body body) {
    if (!ctx_) return;
    // Runs nest only through boxes a procedure opens; past the bound the
    // run is refused (told in the status bar: a box would nest once more).
    if (depth_ >= kMaxMacroRunDepth) {
        ui_.SetStatusText(u"マクロの実行の入れ子が深すぎるため、実行しませんでした");
        messageShown = 1;
        return;
    }
    // A run inside another (a timer or event during a macro's box) keeps
    // the outer run's report intact.
    struct Outer {
        int errorFlag;
        std::u16string errorText;
        std::u16string output;
    };
    std::unique_ptr<Outer> outer;
    if (depth_ > 0) {
        CLineEndTypeGuard lf(output_.get(), output_->GetLineEndType());
        output_->SetLineEndType(LineEndType::LF);
        outer.reset(new Outer{errorFlag, errorText, output_->GetText()});
    }
    ++depth_;
    BeforeRun();
    ResetOutput();
    ShowRunning();
    body();
    ReportResult();
    ClearStatus();
    AfterRun();
    --depth_;
    if (outer) {
        errorFlag = outer->errorFlag;
        errorText = outer->errorText;
        output_->Clear();
        output_->InsertText(outer->output.c_str(), 1);
    }
}

void CMacroHost::CallProcedure(scheme_cell* procedure) {
    Run([&] { scheme_call_procedure(ctx_, procedure); });
}

void CMacroHost::RunString(const std::u16string& source) {
    Run([&] { scheme_eval_string(ctx_, source.c_str()); });
}

void CMacroHost::RunFile(const std::u16string& path) {
    RunString(u"((lambda () (load \"" + MacroDoubleBackslashes(path) + u"\")))");
}

bool CMacroHost::RunKey(uint32_t binding) {
    auto found = keys.find(binding);
    if (!ctx_ || found == keys.end()) return false;
    CallProcedure(found->second.procedure);
    return true;
}

int CMacroHost::FindEvent(const char16_t* name) const {
    for (int i = 0; i < kMacroEventCount; ++i)
        if (SameName(name, events[i].name)) return i;
    return -1;
}

bool CMacroHost::HasEventHandler(const char* name) const {
    if (!ctx_) return false;
    for (const MacroEvent& event : events)
        if (std::strcmp(event.name, name) == 0) return event.procedure != nullptr;
    return false;
}

void CMacroHost::FireEvent(const char* name) {
    if (!ctx_) return;
    for (const MacroEvent& event : events)
        if (std::strcmp(event.name, name) == 0 && event.procedure) {
            // The row may change during the run; the procedure stays
            // protected while the run holds it.
            scheme_cell* procedure = event.procedure;
            scheme_root keep(ctx_, procedure);
            CallProcedure(procedure);
            return;
        }
}

void CMacroHost::OnTimer(int id) {
    const uint16_t key = static_cast<uint16_t>(id);
    auto found = timers.find(key);
    if (!ctx_ || found == timers.end()) return;
    // A tick while any run is active (a box of a macro is open) is skipped:
    // ticks of many timers would otherwise nest run upon run.
    if (depth_ > 0) return;
    scheme_cell* procedure = found->second;
    scheme_root keep(ctx_, procedure);
    CallProcedure(procedure);
}

void CMacroHost::RaiseError(const std::u16string& message) {
    ctx_->args = cons(ctx_, mk_string(ctx_, message.c_str()), ctx_->NIL);
    scheme_run(ctx_, OP_ERROR);
}

int32_t MacroCharAt(const CEditData& data, int row, int col) {
    const EditPos pos = data.ClampPos({col, row});
    if (pos.column >= data.GetLineLength(pos.line)) return pos.line == data.GetLineCount() - 1 ? -1 : u'\n';
    return static_cast<int32_t>(data.GetCharAt(pos.line, pos.column));
}
