#include "assist/core/code_assist_list_maker.h"

#include "assist/core/code_assist_data.h"

bool CCodeAssistListMaker::MakeList(CCodeAssistData& table, const CEditData&) {
    table.InitColumns(false);
    table.AddCandidate(u"AAA", u"VARCHAR2(10)");
    table.AddCandidate(u"BBB", u"VARCHAR2(2)");
    table.AddCandidate(u"CCC", u"VARCHAR2(9)");
    return true;
}
