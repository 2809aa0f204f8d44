// Resource identifiers shared by vornelle.rc and the C++ code. Keep this file to plain
// #define lines: the resource compiler reads it too.
#ifndef VORNELLE_RESOURCES_RESOURCE_IDS_H_
#define VORNELLE_RESOURCES_RESOURCE_IDS_H_

// Name of the application icon group (RT_GROUP_ICON), language neutral. Use it as a string:
// LoadImageW(instance, IDI_APP_ICON_NAME, IMAGE_ICON, ...).
#define IDI_APP_ICON_NAME L"DEFAULT_ICON"

// RT_ICON id of the 16x16 32bpp image of that group (the last of its 13 images; the resource
// script's single ICON statement numbers them 1..13 in the order of vornelle.ico). Load it
// with FindResourceW(instance, MAKEINTRESOURCEW(IDI_WINDOW_IMAGE), RT_ICON), LoadResource,
// LockResource, then CreateIconFromResourceEx(bits, size, TRUE, 0x00030000, 16, 16, 0).
#define IDI_WINDOW_IMAGE 13

#endif  // VORNELLE_RESOURCES_RESOURCE_IDS_H_
