// CCodeAssistListMaker: fills the completion list for the editor's text when
// the list opens by itself rather than by the completion command. The
// editor keeps a pointer to the maker in use, which starts at its own
// default one.
#pragma once

class CCodeAssistData;
class CEditData;

class CCodeAssistListMaker {
public:
    virtual ~CCodeAssistListMaker() = default;
    // Fills table for text; true when the list is to be shown. The default
    // gives three fixed rows.
    virtual bool MakeList(CCodeAssistData& table, const CEditData& text);
};
