// The imaginary web site that the generated traffic visits: a tree of sections with tens of
// thousands of articles (some addressed with query strings), the pictures, style sheets and
// scripts each page pulls in, downloads, forms, a feed, robots.txt, broken links and the paths
// that worms probe. Built once from the seed; ids index one flat resource table. Every path is
// free of blanks, commas, quotes and tabs, so all layouts can write it as it stands.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bench/loggen/random.h"

namespace velmora::loggen {

enum class ResourceKind : uint8_t {
  kPage,
  kImage,
  kStyle,
  kScript,
  kDownload,
  kFeed,
  kRobots,
  kIcon,
  kForm,     // POST targets
  kMissing,  // no longer there: always 404
  kProbe,    // worm and scanner targets: 404
};

struct Resource {
  std::string url;           // path, then "?" and the query when there is one
  uint32_t stem_length = 0;  // characters of url before the "?"
  uint32_t size = 0;         // bytes of the full response body
  ResourceKind kind = ResourceKind::kPage;

  std::string_view stem() const { return std::string_view(url).substr(0, stem_length); }
  // The query without its "?"; empty when there is none.
  std::string_view query() const {
    return stem_length < url.size() ? std::string_view(url).substr(stem_length + 1)
                                    : std::string_view();
  }
};

class Site {
 public:
  // About `page_count` pages (at least a few dozen) and their resources.
  Site(Random& rng, uint32_t page_count);

  const Resource& resource(uint32_t id) const { return resources_[id]; }
  uint32_t resource_count() const { return static_cast<uint32_t>(resources_.size()); }
  uint32_t page_count() const { return page_count_; }

  uint32_t home() const { return 0; }
  uint32_t robots() const { return robots_; }
  uint32_t favicon() const { return favicon_; }
  uint32_t feed() const { return feed_; }

  // A page by popularity: the home page and section fronts most, the long tail of articles
  // seldom.
  uint32_t PickPage(Random& rng) const;
  // The style sheets, scripts and logo that every page loads.
  std::span<const uint32_t> shared_assets() const { return shared_assets_; }
  // The pictures of one page (by resource id of the page); empty for pages without any.
  std::span<const uint32_t> ImagesOf(uint32_t page) const;
  uint32_t PickImage(Random& rng) const;
  uint32_t PickDownload(Random& rng) const;
  uint32_t PickForm(Random& rng) const;
  uint32_t PickMissing(Random& rng) const;
  uint32_t PickProbe(Random& rng) const;

 private:
  uint32_t Add(std::string url, uint32_t size, ResourceKind kind);
  void BuildPages(Random& rng, uint32_t page_count);
  void BuildFixedResources(Random& rng);

  // Pages come first, so a page's resource id is also its place in the popularity order:
  // 0 the home page, then the section fronts, then the articles.
  std::vector<Resource> resources_;
  uint32_t page_count_ = 0;
  uint32_t front_count_ = 0;
  std::vector<uint32_t> image_begin_;  // per page: first entry in images_; one more at the end
  std::vector<uint32_t> images_;       // page pictures, grouped by page
  std::vector<uint32_t> all_images_;   // every picture, for image crawlers and hotlinks
  std::vector<uint32_t> shared_assets_;
  std::vector<uint32_t> downloads_, forms_, missing_, probes_;
  uint32_t robots_ = 0, favicon_ = 0, feed_ = 0;
};

}  // namespace velmora::loggen
