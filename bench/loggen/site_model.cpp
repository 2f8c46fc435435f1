#include "bench/loggen/site_model.h"

#include <array>
#include <string>

namespace velmora::loggen {
namespace {

constexpr std::array<std::string_view, 48> kSlugWords = {
    "server", "log",     "traffic", "report",   "visitor", "install", "update",  "release",
    "guide",  "windows", "linux",   "network",  "backup",  "secure",  "fast",    "cache",
    "proxy",  "domain",  "mail",    "database", "index",   "search",  "mobile",  "design",
    "tips",   "howto",   "review",  "compare",  "free",    "setup",   "error",   "fix",
    "config", "upgrade", "api",     "plugin",   "theme",   "cloud",   "storage", "monitor",
    "weekly", "news",    "summer",  "winter",   "team",    "event",   "webinar", "faq"};

void AppendSlug(Random& rng, std::string& out) {
  const uint32_t words = rng.Between(2, 4);
  for (uint32_t i = 0; i < words; ++i) {
    if (i != 0) out += '-';
    out += kSlugWords[rng.Below(kSlugWords.size())];
  }
}

// Response body sizes: most pages are tens of kilobytes, a few much larger.
uint32_t PageSize(Random& rng) { return 3000 + rng.Skewed(90000, 2.5) + rng.Below(2000); }

struct Section {
  std::string_view front;
  uint16_t weight;     // share of the articles
  uint8_t max_images;  // pictures per article, 0..max
};

constexpr std::array<Section, 7> kSections = {{
    {"/news/", 22, 3},
    {"/blog/", 14, 4},
    {"/support/kb/", 16, 1},
    {"/docs/", 16, 2},
    {"/forum/", 20, 2},
    {"/shop/", 8, 5},
    {"/products/", 4, 6},
}};

void AppendArticleUrl(Random& rng, size_t section, uint32_t id, std::string& url) {
  url = kSections[section].front;
  switch (section) {
    case 0:
      url += std::to_string(2015 + id % 12);
      url += '/';
      url += std::to_string(1 + (id / 12) % 12);
      url += '/';
      AppendSlug(rng, url);
      url += '-' + std::to_string(id) + ".html";
      return;
    case 1:
      AppendSlug(rng, url);
      url += ".html";
      if (rng.Chance(0.15)) url += "?utm_source=newsletter&utm_medium=email";
      return;
    case 2:
      url += "article.asp?id=" + std::to_string(id);
      return;
    case 3:
      url += rng.Chance(0.5) ? "v2/" : "v3/";
      AppendSlug(rng, url);
      url += ".html";
      return;
    case 4:
      url += "viewtopic.php?t=" + std::to_string(id);
      if (rng.Chance(0.3)) url += "&start=" + std::to_string(20 * rng.Between(1, 9));
      return;
    case 5:
      url += "item.php?sku=" + std::to_string(100000 + id);
      if (rng.Chance(0.2)) url += "&color=blue";
      return;
    default:
      url += "p" + std::to_string(id % 97) + '/';
      AppendSlug(rng, url);
      url += rng.Chance(0.5) ? ".html" : ".aspx";
      return;
  }
}

constexpr std::array<std::string_view, 11> kFronts = {
    "/index.html", "/news/", "/blog/",      "/support/", "/docs/", "/forum/",
    "/products/",  "/shop/", "/downloads/", "/about/",   "/jobs/"};

}  // namespace

uint32_t Site::Add(std::string url, uint32_t size, ResourceKind kind) {
  Resource r;
  const size_t q = url.find('?');
  r.stem_length = static_cast<uint32_t>(q == std::string::npos ? url.size() : q);
  r.url = std::move(url);
  r.size = size;
  r.kind = kind;
  resources_.push_back(std::move(r));
  return static_cast<uint32_t>(resources_.size() - 1);
}

Site::Site(Random& rng, uint32_t page_count) {
  BuildPages(rng, page_count < 64 ? 64 : page_count);
  BuildFixedResources(rng);
}

void Site::BuildPages(Random& rng, uint32_t page_count) {
  std::vector<uint8_t> image_counts;
  Add("/", PageSize(rng), ResourceKind::kPage);
  image_counts.push_back(4);
  for (std::string_view front : kFronts) {
    Add(std::string(front), PageSize(rng), ResourceKind::kPage);
    image_counts.push_back(2);
  }
  front_count_ = static_cast<uint32_t>(resources_.size());
  std::string url;
  for (uint32_t id = 1001; resources_.size() < page_count; id += 1 + rng.Below(3)) {
    const uint32_t s = PickWeighted(rng, kSections, [](const Section& x) { return x.weight; });
    AppendArticleUrl(rng, s, id, url);
    Add(url, PageSize(rng), ResourceKind::kPage);
    image_counts.push_back(static_cast<uint8_t>(rng.Between(0, kSections[s].max_images)));
  }
  page_count_ = static_cast<uint32_t>(resources_.size());

  // Pictures after the pages, so page ids stay dense.
  image_begin_.reserve(page_count_ + 1);
  for (uint32_t page = 0; page < page_count_; ++page) {
    image_begin_.push_back(static_cast<uint32_t>(images_.size()));
    for (uint32_t k = 1; k <= image_counts[page]; ++k) {
      std::string path = "/images/";
      if (page < front_count_) {
        path += "front/banner-" + std::to_string(page) + '-' + std::to_string(k) + ".jpg";
      } else {
        path += std::to_string(page % 64) + '/' + std::to_string(page) + '-' + std::to_string(k);
        path += rng.Chance(0.7) ? ".jpg" : (rng.Chance(0.5) ? ".png" : ".gif");
      }
      const uint32_t image =
          Add(std::move(path), 800 + rng.Skewed(240000, 2.0), ResourceKind::kImage);
      images_.push_back(image);
      all_images_.push_back(image);
    }
  }
  image_begin_.push_back(static_cast<uint32_t>(images_.size()));
}

void Site::BuildFixedResources(Random& rng) {
  shared_assets_ = {
      Add("/css/site.css", 38000 + rng.Below(4000), ResourceKind::kStyle),
      Add("/css/print.css", 2100, ResourceKind::kStyle),
      Add("/js/jquery-3.7.1.min.js", 87533, ResourceKind::kScript),
      Add("/js/site.js?v=" + std::to_string(rng.Between(100, 999)), 14200, ResourceKind::kScript),
      Add("/images/logo.gif", 4870, ResourceKind::kImage),
      Add("/images/spacer.gif", 43, ResourceKind::kImage),
  };
  all_images_.push_back(shared_assets_[4]);
  robots_ = Add("/robots.txt", 312, ResourceKind::kRobots);
  favicon_ = Add("/favicon.ico", 1406, ResourceKind::kIcon);
  feed_ = Add("/feed/rss.xml", 24000 + rng.Below(9000), ResourceKind::kFeed);

  for (uint32_t minor = 0; minor < 12; ++minor) {
    const std::string version = "2." + std::to_string(minor);
    downloads_.push_back(Add("/downloads/webtool-setup-" + version + ".exe",
                             9'000'000 + rng.Below(4'000'000), ResourceKind::kDownload));
    downloads_.push_back(Add("/downloads/webtool-" + version + ".zip",
                             6'000'000 + rng.Below(3'000'000), ResourceKind::kDownload));
    downloads_.push_back(Add("/files/manual-" + version + ".pdf", 800'000 + rng.Below(900'000),
                             ResourceKind::kDownload));
  }
  downloads_.push_back(Add("/downloads/sample-logs.zip", 52'000'000, ResourceKind::kDownload));

  for (std::string_view form : {"/contact.php", "/forum/posting.php", "/login.php", "/search.php",
                                "/shop/cart.php", "/comments/post.php"}) {
    forms_.push_back(Add(std::string(form), 400 + rng.Below(3000), ResourceKind::kForm));
  }

  for (std::string_view gone :
       {"/images/old-banner.gif", "/apple-touch-icon.png", "/apple-touch-icon-precomposed.png",
        "/ads.txt", "/.well-known/security.txt", "/news/archive.html", "/links.htm",
        "/downloads/webtool-1.9.zip", "/docs/v1/", "/sitemap.xml.gz", "/blog/feed/"}) {
    missing_.push_back(Add(std::string(gone), 1200, ResourceKind::kMissing));
  }
  for (uint32_t i = 0; i < 40; ++i) {
    missing_.push_back(Add("/news/2014/old-story-" + std::to_string(100 + i * 7) + ".html", 1200,
                           ResourceKind::kMissing));
  }

  // What worms ask for: Code Red's buffer overrun, Nimda's shell paths, today's scanners.
  std::string code_red = "/default.ida?";
  code_red.append(224, 'N');
  code_red +=
      "%u9090%u6858%ucbd3%u7801%u9090%u6858%ucbd3%u7801%u9090%u6858%ucbd3%u7801%u9090%u9090"
      "%u8190%u00c3%u0003%u8b00%u531b%u53ff%u0078%u0000%u00=a";
  probes_.push_back(Add(std::move(code_red), 1200, ResourceKind::kProbe));
  for (std::string_view probe :
       {"/scripts/root.exe?/c+dir", "/MSADC/root.exe?/c+dir", "/c/winnt/system32/cmd.exe?/c+dir",
        "/d/winnt/system32/cmd.exe?/c+dir", "/scripts/..%255c../winnt/system32/cmd.exe?/c+dir",
        "/_vti_bin/..%255c../..%255c../..%255c../winnt/system32/cmd.exe?/c+dir",
        "/_mem_bin/..%255c../..%255c../..%255c../winnt/system32/cmd.exe?/c+dir", "/wp-login.php",
        "/xmlrpc.php", "/phpmyadmin/index.php", "/.env", "/.git/config", "/cgi-bin/formmail.pl",
        "/wp-admin/setup-config.php", "/boaform/admin/formLogin",
        "/vendor/phpunit/phpunit/src/Util/PHP/eval-stdin.php"}) {
    probes_.push_back(Add(std::string(probe), 1200, ResourceKind::kProbe));
  }
}

uint32_t Site::PickPage(Random& rng) const {
  const double u = rng.Unit();
  if (u < 0.12) return home();
  if (u < 0.24) return 1 + rng.Below(front_count_ - 1);
  return front_count_ + rng.Skewed(page_count_ - front_count_, 3.0);
}

std::span<const uint32_t> Site::ImagesOf(uint32_t page) const {
  if (page >= page_count_) return {};
  return std::span<const uint32_t>(images_).subspan(image_begin_[page],
                                                    image_begin_[page + 1] - image_begin_[page]);
}

uint32_t Site::PickImage(Random& rng) const {
  return all_images_[rng.Skewed(static_cast<uint32_t>(all_images_.size()), 2.0)];
}
uint32_t Site::PickDownload(Random& rng) const {
  return downloads_[rng.Skewed(static_cast<uint32_t>(downloads_.size()), 1.8)];
}
uint32_t Site::PickForm(Random& rng) const {
  return forms_[rng.Below(static_cast<uint32_t>(forms_.size()))];
}
uint32_t Site::PickMissing(Random& rng) const {
  return missing_[rng.Skewed(static_cast<uint32_t>(missing_.size()), 2.0)];
}
uint32_t Site::PickProbe(Random& rng) const {
  return probes_[rng.Below(static_cast<uint32_t>(probes_.size()))];
}

}  // namespace velmora::loggen
