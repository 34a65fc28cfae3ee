#include "Corpus.h"

#include <array>
#include <vector>

#include "base/StrUtils.h"

namespace orvane::sim {

namespace {

struct TTopic {
  std::vector<const char*> Triggers;  // query words that select the topic
  std::vector<const char*> Terms;     // recurring words and phrases of its pages
  std::vector<const char*> Stems;     // site names
  const char* Dept;                   // university department host label
};

const std::vector<TTopic>& Topics() {
  static const std::vector<TTopic> topics = {
      {{"astronomy", "star", "telescope", "planet", "galaxy", "moon", "comet", "nebula"},
       {"dark matter", "black holes", "telescope mirrors", "star charts", "deep sky objects", "solar eclipses",
        "planetary orbits", "light pollution", "meteor showers", "spectroscopy", "amateur observers", "red giants"},
       {"skywatch", "starfield", "orbitnotes", "deepsky", "nightsky", "cosmoslog"},
       "astro"},
      {{"cooking", "recipe", "recipes", "baking", "bread", "soup", "pasta", "chocolate", "cake"},
       {"fresh herbs", "olive oil", "slow cooking", "sourdough starter", "kitchen tools", "baking times",
        "seasonal vegetables", "meal planning", "food safety", "spice blends", "cast iron pans", "dinner ideas"},
       {"kitchenlore", "tastyplate", "cookfolio", "breadbasket", "simmerpot", "recipebox"},
       "nutrition"},
      {{"garden", "gardening", "roses", "tomato", "compost", "lawn", "orchid", "seeds"},
       {"soil preparation", "organic compost", "pest control", "raised beds", "seed starting", "pruning roses",
        "perennial flowers", "drip irrigation", "companion planting", "greenhouse growing", "garden design"},
       {"greenthumb", "gardenpath", "bloomwise", "seedling", "rootzone", "potting-shed"},
       "horticulture"},
      {{"java", "python", "programming", "compiler", "linux", "software", "code", "database", "c++", "perl"},
       {"garbage collection", "source code", "design patterns", "unit testing", "regular expressions",
        "memory management", "class libraries", "open source", "build tools", "thread safety", "virtual machine",
        "code samples", "error handling"},
       {"devcorner", "codeforge", "bytebin", "stackhouse", "progref", "sourcewise"},
       "cs"},
      {{"travel", "hotel", "hotels", "flights", "vacation", "paris", "london", "beach", "tour"},
       {"cheap flights", "hotel reviews", "travel insurance", "city guides", "budget travel", "package holidays",
        "local transport", "travel tips", "visa requirements", "car rental", "weekend breaks"},
       {"wanderlog", "tripatlas", "globetrotter", "roamguide", "journeyman", "farhorizons"},
       "tourism"},
      {{"finance", "stock", "stocks", "mortgage", "loan", "investing", "bank", "tax", "insurance"},
       {"interest rates", "mutual funds", "retirement planning", "credit cards", "tax returns", "stock quotes",
        "home loans", "personal budget", "index funds", "financial advice", "capital gains"},
       {"moneywise", "fundline", "ledgerhall", "capitalnotes", "savvysaver", "bullmarket"},
       "economics"},
      {{"health", "diabetes", "fitness", "diet", "vitamin", "heart", "allergy", "sleep", "cancer"},
       {"blood pressure", "healthy eating", "clinical trials", "side effects", "physical activity",
        "vitamin supplements", "weight loss", "medical research", "patient information", "risk factors"},
       {"wellnessinfo", "healthline-notes", "vitalfacts", "carepoint", "medbrief", "fitlife"},
       "medicine"},
      {{"music", "guitar", "piano", "jazz", "band", "violin", "opera", "song", "lyrics"},
       {"guitar chords", "music theory", "sheet music", "live concerts", "recording studio", "jazz standards",
        "piano lessons", "album reviews", "song lyrics", "tour dates", "classical composers"},
       {"chordbook", "soundstage", "tunevault", "riffnotes", "melodica", "backbeat"},
       "music"},
      {{"history", "war", "roman", "medieval", "empire", "castle", "ancient", "revolution"},
       {"primary sources", "roman empire", "medieval castles", "civil war", "ancient egypt", "world war",
        "historical maps", "archaeology", "famous battles", "the middle ages", "timeline of events"},
       {"pastpages", "chronicle", "oldworld", "heritagehall", "annals", "timelines"},
       "history"},
      {{"photo", "photography", "camera", "lens", "digital", "portrait", "landscape"},
       {"digital cameras", "shutter speed", "portrait lighting", "lens reviews", "photo editing",
        "landscape photography", "exposure settings", "film cameras", "image sensors", "photo galleries"},
       {"f-stop", "lenscraft", "shuttertalk", "photoframe", "pixelpeep", "darkroom"},
       "art"},
      {{"bicycle", "bike", "cycling", "mountain", "tour", "racing", "wheel"},
       {"mountain bikes", "road racing", "bike repair", "cycling routes", "bicycle touring", "gear ratios",
        "frame sizes", "cycling clubs", "tyre pressure", "training plans"},
       {"spokesman", "pedalpower", "chainring", "velonotes", "crankworks", "cyclepath"},
       "kinesiology"},
      {{"chess", "opening", "endgame", "gambit", "grandmaster", "checkmate"},
       {"chess openings", "endgame studies", "sicilian defence", "chess tactics", "tournament games",
        "chess engines", "opening theory", "rating lists", "chess problems", "famous matches"},
       {"knightmoves", "chessbase-notes", "rookfile", "gambitclub", "pawnstorm", "endgamer"},
       "math"},
      {{"climate", "weather", "warming", "carbon", "environment", "ozone", "rainfall", "storm"},
       {"climate change", "greenhouse gases", "carbon emissions", "sea level rise", "weather forecasts",
        "renewable energy", "global temperatures", "climate models", "ice cores", "extreme weather"},
       {"climatewatch", "weatherdesk", "greenplanet", "airquality", "polarnotes", "stormtrack"},
       "atmos"},
      {{"law", "legal", "court", "lawyer", "copyright", "patent", "contract", "divorce"},
       {"case law", "legal advice", "court decisions", "copyright law", "patent applications",
        "contract templates", "civil rights", "law firms", "legal forms", "supreme court"},
       {"lawlibrary", "legalbrief", "statutebook", "courtwatch", "counselnet", "justicepages"},
       "law"},
      {{"school", "education", "teacher", "teaching", "university", "college", "students", "learning"},
       {"lesson plans", "distance learning", "classroom activities", "student loans", "teacher resources",
        "online courses", "study skills", "school districts", "reading programs", "exam preparation"},
       {"classnotes", "teachwell", "learnhub", "edupages", "campusguide", "studyroom"},
       "education"},
      {{"movie", "movies", "film", "films", "cinema", "actor", "dvd", "director"},
       {"movie reviews", "box office", "film festivals", "dvd releases", "movie trailers", "classic films",
        "independent cinema", "film history", "casting news", "screenplays"},
       {"reelnotes", "filmvault", "screenscene", "cinemaguide", "matinee", "cutscene"},
       "film"},
      {{"car", "cars", "engine", "auto", "truck", "motor", "toyota", "ford"},
       {"used cars", "car reviews", "engine repair", "fuel economy", "car insurance", "auto parts",
        "test drives", "safety ratings", "hybrid cars", "maintenance schedules"},
       {"autoworld", "motorpages", "gearhead", "drivetest", "carlot", "roadtrip"},
       "engineering"},
      {{"bird", "birds", "birding", "owl", "eagle", "parrot", "hawk", "wildlife"},
       {"bird watching", "migration routes", "field guides", "bird songs", "nesting habits", "bird feeders",
        "endangered species", "wildlife refuges", "bird identification", "wetland birds"},
       {"birdnotes", "featherline", "flyway", "nestbox", "wingspan", "songbird"},
       "biology"},
      {{"energy", "solar", "wind", "power", "electricity", "nuclear", "battery", "oil"},
       {"solar panels", "wind turbines", "energy efficiency", "power plants", "electricity prices",
        "nuclear power", "fuel cells", "energy policy", "battery storage", "oil prices"},
       {"energywatch", "powergrid", "sunworks", "voltpages", "kilowatt", "greenpower"},
       "physics"},
      {{"football", "soccer", "league", "cup", "goal", "team", "baseball", "basketball"},
       {"league tables", "match reports", "transfer news", "world cup", "team rosters", "fantasy football",
        "player statistics", "season tickets", "youth leagues", "coaching drills"},
       {"matchday", "goalline", "pitchside", "fanzone", "sportsdesk", "kickoff"},
       "athletics"},
  };
  return topics;
}

const std::array<const char*, 16> kAdjectives = {"Complete", "Practical", "Free",      "Official",  "Beginner's",
                                                 "Advanced", "Illustrated", "Quick",   "Essential", "Online",
                                                 "Ultimate", "Short",     "Definitive", "Annotated", "Basic",
                                                 "Popular"};
const std::array<const char*, 14> kKinds = {"Guide",    "Tutorial", "FAQ",     "Reference", "Handbook",
                                            "Overview", "Resources", "Notes",  "Directory", "Archive",
                                            "Primer",   "Forum",    "Glossary", "Digest"};
const std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const std::array<const char*, 10> kSuffixes = {"", "", "", "online", "central", "world", "hub", "base", "info", "pages"};
const std::array<const char*, 10> kColleges = {"northfield", "lakeshore", "westbrook", "easton",    "riverside",
                                               "hillcrest",  "kingsbury", "ashford",   "elmhurst", "fairview"};
const std::array<const char*, 8> kPeople = {"~jmiller", "~kchen", "~agarcia", "~pnovak",
                                            "~slee",    "~rdavis", "~mkhan",   "~tberg"};

struct TTld {
  const char* Name;
  int Weight;
  bool Foreign;
};
const std::array<TTld, 19> kTlds = {{{"com", 34, false},   {"org", 12, false}, {"net", 8, false},  {"edu", 8, false},
                                     {"gov", 4, false},    {"co.uk", 6, false}, {"de", 5, true},   {"fr", 4, true},
                                     {"ca", 3, false},     {"com.au", 3, false}, {"info", 3, false}, {"nl", 2, true},
                                     {"it", 2, true},      {"es", 1, true},    {"ch", 1, false},   {"us", 1, false},
                                     {"ie", 1, false},     {"biz", 1, false},  {"jp", 1, false}}};

struct TExt {
  const char* Name;  // "" = a folder, "wiki" = a wiki page without extension
  int Weight;
  const char* Format;  // "File Format:" text for documents
};
const std::array<TExt, 17> kExts = {{{"html", 26, ""},
                                     {"htm", 14, ""},
                                     {"php", 10, ""},
                                     {"asp", 5, ""},
                                     {"aspx", 2, ""},
                                     {"jsp", 2, ""},
                                     {"shtml", 2, ""},
                                     {"pdf", 11, "PDF/Adobe Acrobat"},
                                     {"doc", 5, "Microsoft Word"},
                                     {"ppt", 4, "Microsoft Powerpoint"},
                                     {"xls", 3, "Microsoft Excel"},
                                     {"txt", 2, ""},
                                     {"ps", 1, "Adobe PostScript"},
                                     {"rtf", 1, "Rich Text Format"},
                                     {"cfm", 1, ""},
                                     {"", 8, ""},
                                     {"wiki", 3, ""}}};

template <typename T, size_t N>
const T& PickWeighted(const std::array<T, N>& items, TRng& rng) {
  int total = 0;
  for (const auto& item : items) total += item.Weight;
  int roll = rng.Below(total);
  for (const auto& item : items) {
    if (roll < item.Weight) return item;
    roll -= item.Weight;
  }
  return items[0];
}

template <typename C>
auto Pick(const C& items, TRng& rng) -> decltype(items[0]) {
  return items[rng.Below(static_cast<int>(items.size()))];
}

std::string Capitalise(std::string_view text) {
  std::string out(text);
  bool start = true;
  for (char& c : out) {
    if (start && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    start = c == ' ' || c == '-';
  }
  return out;
}

// The topic whose trigger words the query uses, else one chosen by the query.
int TopicOf(const TSimQuery& query) {
  const auto& topics = Topics();
  for (const auto* list : {&query.Words, &query.AltWords}) {
    for (const auto& word : *list) {
      const std::string lower = LowerCase(word);
      for (size_t t = 0; t < topics.size(); ++t)
        for (const char* trigger : topics[t].Triggers)
          if (lower == trigger || lower == std::string(trigger) + "s") return static_cast<int>(t);
    }
  }
  return static_cast<int>(HashText(query.Seed) % topics.size());
}

// Fills "{x}" slots of a template.
struct TFill {
  std::string Query, QueryTitle, Site, Kind, Adjective;
  std::array<std::string, 4> Terms;
  int Year = 2004, Number = 12, Day = 1;
  const char* Month = "Jan";
  const char* Person = "~jmiller";

  std::string Apply(std::string_view pattern) const {
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
      if (pattern[i] != '{') {
        out += pattern[i];
        continue;
      }
      const size_t close = pattern.find('}', i);
      const std::string_view key = pattern.substr(i + 1, close - i - 1);
      i = close;
      if (key == "q") out += Query;
      else if (key == "Q") out += QueryTitle;
      else if (key == "S") out += Site;
      else if (key == "K") out += Kind;
      else if (key == "k") out += LowerCase(Kind);
      else if (key == "A") out += Adjective;
      else if (key == "a") out += LowerCase(Adjective);
      else if (key == "Y") out += IntToStr(Year);
      else if (key == "N") out += IntToStr(Number);
      else if (key == "D") out += IntToStr(Day);
      else if (key == "M") out += Month;
      else if (key == "P") out += Person + 1;
      else if (key[0] == 't') out += Terms[key[1] - '1'];
      else if (key[0] == 'T') out += Capitalise(Terms[key[1] - '1']);
    }
    return out;
  }
};

const std::vector<const char*> kTitles = {
    "{Q} - {S}",
    "{Q} {K}",
    "{A} {Q} {K}",
    "{Q}: {T1} & {T2}",
    "Introduction to {Q}",
    "{T1} and {Q} | {S}",
    "{Q} FAQ - Frequently Asked Questions",
    "The \"{Q}\" Page",
    "{S}'s {Q} {K}",
    "{Q} {K} ({Y})",
    "{T1} - {A} {K}",
    "{Q} at {S}",
    "{S} :: {T1} :: {Q}",
    "{Q} news and {t1} updates",
    "{Q} reference <{t2}>",
    "{T1}, {T2} and more - {Q} {K}",
};
const std::vector<const char*> kHomeTitles = {"Welcome to {S}", "{S} - {A} {T1} resources", "{S} Home Page",
                                              "{S}: {Q} and {T1}"};
const std::vector<const char*> kFileTitles = {"{Q} {K}", "{T1} and {Q} - lecture notes", "{Q}: a report on {t1}",
                                              "{A} {Q} {K} ({Y})", "{T1} data tables"};
// Latin-1 titles for pages in other languages.
const std::vector<const char*> kForeignTitles = {
    "{Q} - \xDC" "bersicht und {T1}", "{Q} : pr\xE9sentation et {t1}", "Guida a {Q}",
    "{Q} - informaci\xF3n general", "{Q} - overzicht en {t1}", "{Q} f\xFCr Einsteiger"};
const std::vector<const char*> kSnippets = {
    "Learn about {q} with our {a} {k}. Topics include {t1}, {t2} and {t3}.",
    "{Q} resources: {t1}, {t2}, {t3} ... Updated {M} {Y}.",
    "This {k} describes {q} in detail, from {t1} to {t2}. ...",
    "Everything you need to know about {t1} and {q}. {A} tips & advice on {t2}.",
    "... {q} ... {T1} is one of the most important parts of {t2}. Read more about {q} and {t3}.",
    "{S} offers {a} information on {q}, {t1} and {t2}. Free {k} for beginners and experts.",
    "Discussion forum about {q}: {N} topics on {t1}, {t2} and \"{t3}\".",
    "Abstract: We study {q} and {t1}. Our results show that {t2} matters more than expected ...",
    "{Q} - {t1}, {t2}, {t3}, {t4}. Links, articles and a glossary of {q} terms.",
    "Home of the {S} project. News, {k} and downloads for {q} and {t1}.",
    "Compare {t1} prices and read reviews of {q} products. Save up to {N}% on {t2}.",
    "Posted by {P} on {M} {D}, {Y}: my notes on {q} and {t1} ... {t2} ...",
    "Course {N}0: {q} and {t1}. Lecture notes, exercises and past exams on {t2}.",
    "Official site of {S} with {a} {k} on {q} and {t1}; see also {t3} & {t4}.",
};

}  // namespace

std::string Slug(std::string_view text) {
  std::string out;
  for (char c : LowerCase(text)) {
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      out += c;
    } else if (!out.empty() && out.back() != '-') {
      out += '-';
    }
  }
  while (!out.empty() && out.back() == '-') out.pop_back();
  return out;
}

uint64_t HashText(std::string_view text) {
  uint64_t hash = 1469598103934665603ull;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

uint64_t Mix(uint64_t a, uint64_t b) {
  uint64_t z = a ^ (b + 0x9E3779B97F4A7C15ull + (a << 6) + (a >> 2));
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint64_t TRng::Next() {
  state_ += 0x9E3779B97F4A7C15ull;
  uint64_t z = state_;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int TRng::Below(int n) { return n <= 1 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }

double TRng::Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }

TDoc MakeDoc(const TSimQuery& query, const TDocRef& ref, int engine) {
  const auto& topics = Topics();
  const int mainTopic = TopicOf(query);
  TRng hostRng(Mix(ref.HostSeed, 1));
  // Most sites belong to the query's topic; some come from a neighbouring one.
  const TTopic& siteTopic = topics[mainTopic];
  const TTld& tld = PickWeighted(kTlds, hostRng);
  const std::string base = Pick(siteTopic.Stems, hostRng);
  const std::string suffix = Pick(kSuffixes, hostRng);
  const std::string stem = base + suffix;
  std::string host;
  if (!query.Site.empty()) {
    host = query.Site;
  } else if (std::string_view(tld.Name) == "edu") {
    host = std::string(hostRng.Below(2) ? siteTopic.Dept : "www") + "." + Pick(kColleges, hostRng) + ".edu";
  } else {
    host = std::string(hostRng.Below(5) ? "www." : "") + stem + "." + tld.Name;
  }

  TDoc doc;
  doc.Foreign = query.Site.empty() && tld.Foreign;
  TRng pageRng(Mix(ref.PageSeed, 2));
  const TTopic& topic = topics[mainTopic];
  TFill fill;
  fill.Query = query.Phrase();
  fill.QueryTitle = Capitalise(fill.Query);
  fill.Site = Capitalise(base) + (suffix.empty() ? "" : " " + Capitalise(suffix));
  fill.Kind = Pick(kKinds, pageRng);
  fill.Adjective = Pick(kAdjectives, pageRng);
  for (auto& term : fill.Terms) term = Pick(topic.Terms, pageRng);
  // A profile search asks for alternative words; every page uses one of them.
  if (!query.AltWords.empty()) fill.Terms[1] = Pick(query.AltWords, pageRng);
  fill.Year = 1997 + pageRng.Below(10);
  fill.Number = 2 + pageRng.Below(97);
  fill.Month = Pick(kMonths, pageRng);
  fill.Day = 1 + pageRng.Below(28);
  fill.Person = Pick(kPeople, pageRng);
  doc.SizeK = 3 + pageRng.Below(180);

  std::string path;
  const bool home = pageRng.Below(10) == 0;
  if (home) {
    static const std::array<const char*, 6> homes = {"/", "/", "/", "", "/index.html", "/default.asp"};
    path = Pick(homes, pageRng);
    doc.Title = fill.Apply(Pick(kHomeTitles, pageRng));
  } else {
    const TExt& ext = PickWeighted(kExts, pageRng);
    std::string slug = Slug(fill.Query.empty() ? fill.Terms[0] : fill.Query);
    if (slug.empty()) slug = Slug(fill.Terms[0]);
    if (pageRng.Below(2) && Slug(fill.Terms[0]) != slug) slug += "-" + Slug(fill.Terms[0]);
    static const std::array<const char*, 10> dirs = {"/articles/", "/docs/", "/pub/",    "/library/", "/faq/",
                                                     "/resources/", "/papers/", "/downloads/", "/", "/guide/"};
    std::string dir = Pick(dirs, pageRng);
    if (std::string_view(tld.Name) == "edu" && pageRng.Below(3) == 0) dir = std::string("/") + fill.Person + "/";
    if (pageRng.Below(4) == 0) dir += IntToStr(fill.Year) + "/";
    const std::string_view name = ext.Name;
    if (name.empty()) {
      path = dir + slug + "/";
    } else if (name == "wiki") {
      path = "/wiki/" + Capitalise(slug);
    } else if (name == "php" && pageRng.Below(3) == 0) {
      path = dir + "view.php?id=" + IntToStr(100 + pageRng.Below(9000));
    } else {
      path = dir + slug + "." + std::string(name);
    }
    doc.FileFormat = ext.Format;
    if (doc.Foreign) {
      doc.Title = fill.Apply(Pick(kForeignTitles, pageRng));
    } else if (!doc.FileFormat.empty()) {
      doc.Title = fill.Apply(Pick(kFileTitles, pageRng));
    } else {
      doc.Title = fill.Apply(Pick(kTitles, pageRng));
    }
  }
  doc.Link = "http://" + host + path;
  doc.DisplayUrl = host + (path.empty() ? "/" : path);
  TRng snippetRng(Mix(ref.PageSeed, 10 + static_cast<uint64_t>(engine)));
  doc.Snippet = fill.Apply(Pick(kSnippets, snippetRng));
  return doc;
}

}  // namespace orvane::sim
