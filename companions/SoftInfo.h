#pragma once

// What the program hands the companion libraries across dlopen: plain C, so that either side can be
// rebuilt alone.

#ifdef __cplusplus
extern "C" {
#endif

// The product information, its fields in the record's order. Every text is UTF-8 and never null;
// the texts belong to the caller and live until the call returns.
struct RivamoSoftInfo {
    const char* Text0;
    const char* ProductName;
    const char* Text2;
    const char* Version;
    const char* HomePage;
    const char* EMail;
    const char* Text7;
    const char* AppPath;
};

// Uiface.so: shows the About dialog modally and returns when the user has closed it. Needs the
// program's QApplication.
typedef void (*ShowAboutFormFunction)(const struct RivamoSoftInfo* info);
#define RIVAMO_SHOW_ABOUT_FORM "ShowAboutForm"

// Branding.so: the string of a table id, or null for an id the table lacks.
typedef const char* (*BrandingStringFunction)(int id);
#define RIVAMO_BRANDING_STRING "BrandingString"

// Branding.so: the splash picture, a JPEG file's bytes; *size receives their count.
typedef const unsigned char* (*BrandingImgFlashFunction)(unsigned long* size);
#define RIVAMO_BRANDING_IMG_FLASH "BrandingImgFlash"

#ifdef __cplusplus
}
#endif
