#include "controls/hyperlink.h"

const char CHyperLink::kPropertyName[] = "_Hyperlink_Object_Pointer_\\{AFEED740-CC6D-47c5-831D-9848FD916EEF}";
ATOM CHyperLink::propertyAtom = 0;
LONG CHyperLink::linkCount = 0;
HFONT CHyperLink::underlineFont = nullptr;
HCURSOR CHyperLink::linkCursor = nullptr;

CHyperLinkAtom::CHyperLinkAtom() {
    CHyperLink::propertyAtom = GlobalAddAtomA(CHyperLink::kPropertyName);
}

CHyperLinkAtom::~CHyperLinkAtom() {
    GlobalDeleteAtom(CHyperLink::propertyAtom);
}

CHyperLink::~CHyperLink() {
    delete[] url;
}
