// The German answers of the OS information object itself: its product text
// for a product code that names no edition, which also ends up in the Windows
// name the user sees. The program's other texts are in app/texts.h, which
// osinfo/ must not include; that table points here.
#pragma once

namespace ocx::osinfo::texts {

// Product code 0: Windows names no product, or was not asked for one.
inline constexpr char kProductUndefined[] = "[Unbekannt]";
// PRODUCT_UNLICENSED (0xABCDABCD): this Windows is not licensed.
inline constexpr char kProductUnlicensed[] = "[Unlizenziert]";

}  // namespace ocx::osinfo::texts
