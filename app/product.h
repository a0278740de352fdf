// Build-time product constants shared by the procedures and the window.
#pragma once

// The web host comes from the CMake cache variable KV_PRODUCT_WEB_HOST as a
// compile definition of kv_app (public, so every user of this header sees the
// same value); a target that includes this header without linking kv_app
// fails here rather than silently using another host.
#ifndef KV_PRODUCT_WEB_HOST
#error "KV_PRODUCT_WEB_HOST is defined by the kv_app target; link kv_app"
#endif

namespace app {

// Host name of the product's web site: named at the end of the "download the
// official package" failure texts, and the site the picture click opens.
inline constexpr char PRODUCT_WEB_HOST[] = KV_PRODUCT_WEB_HOST;

}  // namespace app
