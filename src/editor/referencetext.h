// What Tarn's reference says about a function, as the tip, the completion list's panel, the
// hover and the reference pane show it: looked up as the colouring finds names, written as
// Markdown and shown as rich text.
#pragma once

#include "app/scribacobarray.h"

#include <QString>

#include <string_view>

class TarnReference;
struct FunctionDoc;
struct ParamDoc;

// A function of the table and its page, which the reference may lack (doc is then null).
struct DocumentedFunction {
    const TableRow *row = nullptr;
    const FunctionDoc *doc = nullptr;
    explicit operator bool() const { return row != nullptr; }
};
DocumentedFunction LookUpFunction(const FunctionTable &functions, const TarnReference &reference,
                                  std::string_view word);

// How much of the page to write.
enum class PageParts {
    Summary, // signature, description, deprecation
    Hover,   // and the parameters and return values
    Page,    // and the see-also links ("tarn:NAME")
};
QString FunctionMarkdown(const DocumentedFunction &function, PageParts parts);
// Markdown as rich text for labels, tooltips and text browsers; raw HTML in it stays text.
QString MarkdownToHtml(const QString &markdown);

// For the parameter tip, plain text: "mode: one of "head", "flux", "none" - what it is".
QString ParameterLine(const ParamDoc &param);
// The description's first line without Markdown's marks, or "" without one.
QString FirstDescriptionLine(const FunctionDoc &doc);
