// SPDX-License-Identifier: MIT

#include "skin/SkinLayout.h"

#include "skin/ParseRect.h"
#include "skin/SkinCatalogue.h"

void SetDefaultSkin(SkinLayout& layout, SkinCatalogue& catalogue, const Picture& picture2) {
    layout.SkinImage = picture2;
    catalogue.Current = 0;
    ParseRect(BuiltinSkin::Shot, layout.ShotRect);
    ParseRect(BuiltinSkin::Close, layout.CloseRect);
    ParseRect(BuiltinSkin::Save, layout.SaveRect);
    ParseRect(BuiltinSkin::SaveAs, layout.SaveAsRect);
    ParseRect(BuiltinSkin::Mode, layout.ModeRect);
}
