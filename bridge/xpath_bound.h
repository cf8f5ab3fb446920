#pragma once

#include <QString>

// Pages query the files they edit with XPath expressions of their own
// ("//Key[@Index=61]/@Value"). An expression can ask for work that grows
// with a power of the document's size: a 3001-element document and
// "/r[count(//*[count(//*[count(//*)>0])>0])>0]" keep the window busy for
// half a minute. Queries run on the GUI thread and the XML library cannot
// be interrupted, so expressions are bounded before they run, to ones
// whose cost grows about linearly with the document:
// - at most kMaxXPathLength characters, at most kMaxXPathNesting brackets
//   and parentheses inside each other, conditions ("[...]") at most two
//   deep, and no id() (which the library does not implement);
// - a condition looks only near the node it tests: no absolute path, no
//   "//", no axis but child, attribute and self, no "..", and no
//   comparison of two paths (which compares every pair of their nodes);
// - outside conditions, each path has at most one step that searches
//   widely ("//", descendant, ancestor, following and preceding axes).
// Every expression the pages use passes. False (with the reason in why)
// for one past these bounds; a malformed one may pass and is left to the
// XML library to refuse.
constexpr int kMaxXPathLength = 512;
constexpr int kMaxXPathNesting = 16;
constexpr int kMaxXPathConditionDepth = 2;

bool xpathWithinBounds(const QString& expression, QString* why = nullptr);
