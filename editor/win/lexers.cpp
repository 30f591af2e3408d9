/*
** Lexer catalogue and the scripted lexer module. The scripted lexer keeps
** integer properties apart from the text ones (a property set only as text
** reads 0 here); the colouring and folding entries find the script
** function through "lexer" and "folder" and hand the document to the core
** in editor/unilexer.cpp.
*/
#include <cassert>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ILexer.h"
#include "Scintilla.h"
#include "SciLexer.h"

#include "PropSetSimple.h"
#include "WordList.h"
#include "LexAccessor.h"
#include "Accessor.h"
#include "LexerModule.h"
#include "LexerBase.h"

#include "editor/lexers.h"
#include "editor/style.h"
#include "editor/unilexer.h"
#include "gui/gui.h"

using namespace Lexilla;

extern LexerModule lmLua;
extern LexerModule lmAsm;

namespace {

struct lx_doc {
  Accessor *a;
  WordList **lists;
};

lx_doc *D(void *c) { return static_cast<lx_doc *>(c); }
int d_byte(void *c, long p) { return (unsigned char)D(c)->a->SafeGetCharAt(p, ' '); }
int d_lead(void *c, int b) { return D(c)->a->IsLeadByte((char)b); }
void d_start(void *c, long p) {
  D(c)->a->StartAt(p);
  D(c)->a->StartSegment(p);
}
void d_colour(void *c, long last, int style) { D(c)->a->ColourTo(last, style); }
int d_in_list(void *c, int set, const char *w) {
  return set >= 0 && set < 9 && D(c)->lists[set]->InList(w);
}
long d_line(void *c, long pos) { return (long)D(c)->a->GetLine(pos); }
int d_level(void *c, long line) { return D(c)->a->LevelAt(line); }
void d_set_level(void *c, long line, int level) {
  if (line >= 0 && line < (long)D(c)->a->GetLine(D(c)->a->Length()) + 1)
    D(c)->a->SetLevel(line, level);
}

class ScriptLexer : public LexerBase {
  std::map<std::string, intptr_t> ints;

  intptr_t get(const char *name) const {
    auto it = ints.find(name);
    return it == ints.end() ? 0 : it->second;
  }
  void run(int fold, Sci_PositionU start, Sci_Position length,
           Scintilla::IDocument *access) {
    intptr_t fn = get(fold ? "folder" : "lexer");
    if (fn == 0 || gui_L == nullptr) return;
    if (fold && props.GetInt("fold") == 0) return;
    Accessor a(access, &props);
    lx_doc ctx{&a, keyWordLists};
    ul_doc d{&ctx, (long)a.Length(), d_byte, d_lead, d_start, d_colour,
             d_in_list, d_line, d_level, d_set_level};
    if (fold)
      ul_fold(gui_L, fn, &d, (long)start, (long)length);
    else
      ul_colour(gui_L, fn, &d, (long)start, (long)length);
    a.Flush();
  }

 public:
  ScriptLexer(intptr_t lexer, intptr_t folder) {
    ints["lexer"] = lexer;
    ints["folder"] = folder;
  }
  void SCI_METHOD Lex(Sci_PositionU start, Sci_Position length, int,
                      Scintilla::IDocument *access) override {
    run(0, start, length, access);
  }
  void SCI_METHOD Fold(Sci_PositionU start, Sci_Position length, int,
                       Scintilla::IDocument *access) override {
    run(1, start, length, access);
  }
  void *SCI_METHOD PrivateCall(int op, void *p) override {
    if (op != LX_SET_INT || p == nullptr) return nullptr;
    const lx_int *v = static_cast<const lx_int *>(p);
    ints[v->name] = v->value;
    return this;
  }
  const char *SCI_METHOD GetName() override { return "UNILEXER"; }
  int SCI_METHOD GetIdentifier() override { return ES_LEX_SCRIPT; }
};

}  // namespace

void *lx_create(int number, intptr_t lexer, intptr_t folder) {
  switch (number) {
    case ES_LEX_SCRIPT: return static_cast<Scintilla::ILexer5 *>(new ScriptLexer(lexer, folder));
    case ES_LEX_LUA: return lmLua.Create();
    case ES_LEX_ASM: return lmAsm.Create();
    default: return nullptr;
  }
}
