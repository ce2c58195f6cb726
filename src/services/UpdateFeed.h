// The update feed: an RSS document whose items announce builds of programs.
// WalkUpdateFeed decides from the parsed feed whether a build newer than the
// one to compare against is published, which is the newest (its download
// address and size) and what the details box shows; FeedText turns the fetched
// bytes into the text the XML parser takes; ReadUpdateFeed does all three, or
// says what is wrong with the feed (it runs on any thread with COM).
#pragma once
#include <cstdint>
#include <string>

#include "services/AppIdentity.h"
#include "services/XmlDocument.h"

// The most characters of details: a feed of thousands of newer items would
// take a text box seconds to lay out, so the items past this are counted only.
inline constexpr size_t kMaxUpdateDetails = 8192;

// The walk's bounds, each logged when hit: the children of channels looked at
// (items and anything between them; a feed of 1 MB holds far fewer items), the
// children of one item, and the levels of channels nested in channels.
inline constexpr int kMaxFeedEntries = 100000;
inline constexpr int kMaxFeedItemChildren = 256;
inline constexpr int kMaxFeedChannelDepth = 8;

struct UpdateFeedResult {
  bool Found = false;          // an item of this program carries a build above compBuild
  long NewestBuild = 0;        // the highest such build (the first item of it); compBuild when none
  std::wstring DownloadURL;    // that item's enclosure address; "" when it is not an absolute http/https address
  int64_t DownloadLength = 0;  // that item's enclosure length in bytes (0 when missing or not a number)
  std::wstring Details;        // the newer items of this program, in feed order, as the details box shows them
  int DetailsLeftOut = 0;      // newer items past kMaxUpdateDetails, not in Details
};

// Walks the direct children of "rss/channel" (channel and item elements by
// their names in any case; nested channels the same way), reading each item's
// children once. An item's fields are its first "title", "pubDate",
// "description", "update" and "enclosure" elements (names exact, prefixes as
// written), an attribute that of the first such element carrying it. An item
// counts when its "update/@app" equals appTitle (case ignored) and its
// "update/@build" is a whole number above compBuild; an item without a numeric
// build is skipped. An item's enclosure defaults to baseURL followed by "get".
// A refused enclosure address is written to the log.
UpdateFeedResult WalkUpdateFeed(const XmlDocument& feed, long compBuild, const std::wstring& baseURL,
                                const std::wstring& appTitle = app::kTitle);

// The feed's bytes as text: UTF-8 or UTF-16 with a byte-order mark, UTF-8
// without one, or Windows-1252 when the bytes are not valid UTF-8 (the parser
// takes the text whatever encoding its declaration names).
std::wstring FeedText(const std::string& bytes);

struct UpdateFeedReading {
  bool Read = false;    // the feed is an RSS document and was walked
  std::wstring Reason;  // why not: not XML, a DTD, no rss element
  UpdateFeedResult Feed;
};

// The fetched bytes parsed and walked. A DOCTYPE that declares nothing is
// accepted (no DTD is read); one that declares entities or anything else is
// refused, as is a document whose root element is not "rss".
UpdateFeedReading ReadUpdateFeed(const std::string& bytes, long compBuild, const std::wstring& baseURL,
                                 const std::wstring& appTitle = app::kTitle);
