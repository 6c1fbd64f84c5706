// A stand-in for <commctrl.h> for the fuzz target of the bulk answers (see windows.h beside it): the
// records of the list view, header and tree view queries in this process's layout, and their constants.
#pragma once

#include "platform/wire_wide.h"
#include "windows.h"

struct _TREEITEM;
using HTREEITEM = _TREEITEM*;

struct LVITEMA {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
struct LVITEMW {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
struct HDITEMW {
    UINT mask;
    int cxy;
    LPWSTR pszText;
    void* hbm;
    int cchTextMax;
    int fmt;
    LPARAM lParam;
};
struct HDITEMA {
    UINT mask;
    int cxy;
    LPSTR pszText;
    void* hbm;
    int cchTextMax;
    int fmt;
    LPARAM lParam;
};
struct TVITEMA {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
};

#define LVM_GETHEADER (::vantor::wire::LVM_GETHEADER)
#define LVM_GETITEMCOUNT (::vantor::wire::LVM_GETITEMCOUNT)
#define LVM_GETITEMA (::vantor::wire::LVM_GETITEMA)
#define LVM_GETNEXTITEM (::vantor::wire::LVM_GETNEXTITEM)
#define LVNI_SELECTED (::vantor::wire::LVNI_SELECTED)
#define LVIF_TEXT (::vantor::wire::LVIF_TEXT)
#define LVIF_PARAM (::vantor::wire::LVIF_PARAM)
#define HDM_GETITEMCOUNT (::vantor::wire::HDM_GETITEMCOUNT)
#define HDM_GETITEMA (::vantor::wire::HDM_GETITEMA)
#define LVM_GETITEMW (::vantor::wire::LVM_GETITEMW)
#define HDM_GETITEMW (::vantor::wire::HDM_GETITEMW)
#define HDI_TEXT (::vantor::wire::HDI_TEXT)
#define HDI_LPARAM (::vantor::wire::HDI_LPARAM)
#define TVM_GETNEXTITEM (::vantor::wire::TVM_GETNEXTITEM)
#define TVM_GETITEMA (::vantor::wire::TVM_GETITEMA)
#define TVGN_ROOT (::vantor::wire::TVGN_ROOT)
#define TVGN_NEXT (::vantor::wire::TVGN_NEXT)
#define TVGN_CHILD (::vantor::wire::TVGN_CHILD)
#define TVGN_PARENT (::vantor::wire::TVGN_PARENT)
#define TVIF_TEXT (::vantor::wire::TVIF_TEXT)
#define TVIF_PARAM (::vantor::wire::TVIF_PARAM)
