#include "mapview/ui/MapRequestInterceptor.h"

#include "mapview/MapPageAddress.h"

namespace mapview {

void MapRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
  const QString scheme = info.requestUrl().scheme();
  if (scheme == QLatin1String(kMapScheme)) return;
  const bool tile = (scheme == QLatin1String("https") || scheme == QLatin1String("http")) &&
                    info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeImage;
  if (!offline_ && tile) return;
  ++blocked_;
  info.block(true);
}

}  // namespace mapview
