// The indenter for C-like languages. The text's typed-character entry calls
// it after a trigger character: with indent mode 1 it copies the previous
// line's indentation after a line break; with mode 2 it also places lines
// after "{", "}" and ":" by the braces and statements above. Every change
// goes through the text's own editing operations inside the typing's undo
// group.
#pragma once

#include <string>

class CEditData;

class CCIndent {
public:
    // The one indenter of the process.
    static CCIndent& Instance();
    // The text's indent hook (CEditData::SetIndentHook).
    static void OnTyped(CEditData& text, char32_t ch);

    // Exactly line break, ":", "{" and "}".
    bool IsTrigger(char32_t ch) const { return ch < 256 && m_trigger[ch]; }

    // The reaction to a typed character (the caret stands after it).
    void OnChar(CEditData& text, char32_t ch);

    // The queries below read the text of the last OnChar (or SetText).
    void SetText(CEditData* text) { m_text = text; }

    // The last non-blank code point before any comment (a line that begins
    // inside a block comment counts from its end); 0 when none.
    char32_t GetLastSignificantChar(int line) const;
    // The first code point that is not TAB or space; 0 for a blank line.
    char32_t GetFirstSignificantChar(int line) const;
    // Removes the line's indentation; a caret on the line keeps its character.
    void StripIndent(int line);
    // The nearest line above with code at its end; -1 when none.
    int FindPreviousCodeLine(int line) const;
    // The first line of the statement that line belongs to.
    int FindStatementStart(int line) const;
    // Gives the caret line fromLine's indentation (one level more when
    // asked). With check, a line already indented so is left alone (mode 1
    // then moves a caret inside the indentation to its end). Returns the
    // caret column.
    int CopyIndent(int fromLine, int mode, bool oneLevelMore, bool check);

    // Units of the line's indentation: TAB, space and full-width space.
    int IndentLength(int line) const;

private:
    CCIndent();
    void OnLineBreak();
    void OnColon();
    void OnOpenBrace();
    void OnCloseBrace();
    bool CaretInCommentOrString() const;
    // The indentation CopyIndent gives: fromLine's, tabs turned to spaces
    // when the text types tabs as spaces, and one more level when asked.
    std::u16string WantedIndent(int fromLine, bool oneLevelMore) const;

    bool m_trigger[256] = {};
    CEditData* m_text = nullptr;
};
