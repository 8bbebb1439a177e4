// The app- procedures: the program, boxes and the status bar, key bindings,
// the cancel key, event handlers and timers.
#include "app/macrohost/macro_host.h"
#include "app/macrohost/macro_procs.h"

namespace {

CMacroHost& Host(scheme_context* ctx) { return MacroHostOf(ctx); }

scheme_cell* GetToolDir(scheme_context* ctx, scheme_cell**, int) {
    return scheme_mk_string(ctx, Host(ctx).Ui().ToolDir().c_str());
}

scheme_cell* GetCommandLineOption(scheme_context* ctx, scheme_cell**, int) {
    return scheme_mk_string(ctx, Host(ctx).Ui().CommandLine().c_str());
}

// The argument list as a box shows it: display form, parentheses off.
std::u16string ArgumentText(scheme_context* ctx, scheme_cell* list) {
    return MacroBoxText(scheme_to_string(ctx, list));
}

scheme_cell* MsgBox(scheme_context* ctx, scheme_cell** args, int) {
    CMacroHostUi& ui = Host(ctx).Ui();
    if (!ui.HasMainWindow()) return ctx->F;
    ui.RestoreMainWindow();
    ui.ShowBox(ArgumentText(ctx, args[0]), u"scheme", MacroBoxIcon::Information);
    return ctx->T;
}

scheme_cell* StatusBarMsg(scheme_context* ctx, scheme_cell** args, int) {
    CMacroHost& host = Host(ctx);
    if (!host.Ui().HasMainWindow()) return ctx->F;
    host.messageShown = 1;
    host.Ui().SetStatusText(ArgumentText(ctx, args[0]));
    return ctx->T;
}

scheme_cell* InputBox(scheme_context* ctx, scheme_cell** args, int count) {
    const std::u16string caption = count > 0 ? MacroArgText(args[0]) : u"";
    std::u16string text = count > 1 ? MacroArgText(args[1]) : u"";
    if (!Host(ctx).Ui().InputBox(caption, text)) return ctx->F;
    return scheme_mk_string(ctx, text.c_str());
}

bool ParseKey(scheme_context* ctx, const std::u16string& keyText, int& fVirt, int& vk) {
    if (Host(ctx).Ui().ParseKey(keyText, fVirt, vk)) return true;
    Host(ctx).RaiseError(keyText + u" is invalid key");
    return false;
}

scheme_cell* SetKey(scheme_context* ctx, scheme_cell** args, int count) {
    CMacroHost& host = Host(ctx);
    const std::u16string keyText = MacroArgText(args[0]);
    int fVirt = 0, vk = 0;
    if (!ParseKey(ctx, keyText, fVirt, vk)) return ctx->F;
    if (scheme_protect(ctx, args[1]) != 0) return ctx->F;
    const uint32_t key = static_cast<uint32_t>(fVirt) << 16 | static_cast<uint32_t>(vk & 0xFFFF);
    auto old = host.keys.find(key);
    if (old != host.keys.end()) scheme_unprotect(ctx, old->second.procedure);
    host.keys[key] = MacroKeyBinding{keyText, count > 2 ? MacroArgText(args[2]) : u"", args[1]};
    return ctx->T;
}

scheme_cell* GetAllKeys(scheme_context* ctx, scheme_cell**, int) {
    scheme_cell* result = ctx->NIL;
    scheme_root keepResult(ctx, result);
    for (const auto& [key, binding] : Host(ctx).keys) {
        scheme_list_builder item(ctx);
        item.add(mk_string(ctx, binding.keyText.c_str()));
        item.add(binding.procedure);
        item.add(mk_string(ctx, binding.description.c_str()));
        result = cons(ctx, item.finish(ctx->NIL), result);
    }
    return result;
}

scheme_cell* SetCancelKey(scheme_context* ctx, scheme_cell** args, int) {
    int fVirt = 0, vk = 0;
    if (!ParseKey(ctx, MacroArgText(args[0]), fVirt, vk)) return ctx->F;
    ctx->cancel_modifiers = fVirt & 0xFF;
    ctx->cancel_vk = vk;
    return ctx->T;
}

// The event row a name gives, or -1 after raising the error.
int EventIndex(scheme_context* ctx, scheme_cell* name) {
    const int index = Host(ctx).FindEvent(scheme_string(name)->text);
    if (index < 0) Host(ctx).RaiseError(MacroArgText(name) + u" is invalid event name");
    return index;
}

scheme_cell* SetEventHandler(scheme_context* ctx, scheme_cell** args, int) {
    const int index = EventIndex(ctx, args[0]);
    if (index < 0) return ctx->F;
    if (scheme_protect(ctx, args[1]) != 0) return ctx->F;
    MacroEvent& event = Host(ctx).events[index];
    if (event.procedure) scheme_unprotect(ctx, event.procedure);
    event.procedure = args[1];
    return ctx->T;
}

scheme_cell* GetEventHandler(scheme_context* ctx, scheme_cell** args, int) {
    const int index = EventIndex(ctx, args[0]);
    if (index < 0) return ctx->F;
    scheme_cell* procedure = Host(ctx).events[index].procedure;
    return procedure ? procedure : ctx->NIL;
}

scheme_cell* ClearEventHandler(scheme_context* ctx, scheme_cell** args, int) {
    const int index = EventIndex(ctx, args[0]);
    if (index < 0) return ctx->F;
    MacroEvent& event = Host(ctx).events[index];
    if (!event.procedure) return ctx->F;
    scheme_unprotect(ctx, event.procedure);
    event.procedure = nullptr;
    return ctx->T;
}

scheme_cell* SetTimer(scheme_context* ctx, scheme_cell** args, int) {
    CMacroHost& host = Host(ctx);
    if (!host.Ui().HasMainWindow()) return ctx->F;
    const uint16_t id = static_cast<uint16_t>(args[0]->ival);
    if (scheme_protect(ctx, args[2]) != 0) return ctx->F;
    auto old = host.timers.find(id);
    if (old != host.timers.end()) scheme_unprotect(ctx, old->second);
    host.timers[id] = args[2];
    host.Ui().SetTimer(id, args[1]->ival);
    return ctx->T;
}

scheme_cell* ClearTimer(scheme_context* ctx, scheme_cell** args, int) {
    CMacroHost& host = Host(ctx);
    auto found = host.timers.find(static_cast<uint16_t>(args[0]->ival));
    if (found == host.timers.end()) return ctx->F;
    // Only the timer's own protection goes: the same procedure may be bound
    // to a key or an event as well.
    scheme_unprotect(ctx, found->second);
    const int id = found->first;
    host.timers.erase(found);
    if (host.Ui().HasMainWindow()) host.Ui().KillTimer(id);
    return ctx->T;
}

}  // namespace

const MacroProcRow kMacroAppProcs[] = {
    {u"app-get-tool-dir", GetToolDir, 0, 0, u""},
    {u"app-get-command-line-option", GetCommandLineOption, 0, 0, u""},
    {u"app-msg-box", MsgBox, 1, 1, u"D"},
    {u"app-status-bar-msg", StatusBarMsg, 1, 1, u"D"},
    {u"app-input-box", InputBox, 0, 2, u"SS"},
    {u"app-set-key", SetKey, 2, 3, u"ScS"},
    {u"app-get-all-keys", GetAllKeys, 0, 0, u""},
    {u"app-set-cancel-key", SetCancelKey, 1, 1, u"S"},
    {u"app-set-event-handler", SetEventHandler, 2, 2, u"Sc"},
    {u"app-get-event-handler", GetEventHandler, 1, 1, u"S"},
    {u"app-clear-event-handler", ClearEventHandler, 1, 1, u"S"},
    {u"app-set-timer", SetTimer, 3, 3, u"NNc"},
    {u"app-clear-timer", ClearTimer, 1, 1, u"N"},
};
const int kMacroAppProcCount = sizeof(kMacroAppProcs) / sizeof(kMacroAppProcs[0]);
