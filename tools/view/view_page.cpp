// The page around the data: one HTML file with its style sheet, its scripts and the data
// inside, which a browser opens from the disk with no network. The Content-Security-Policy lets
// the page load nothing; in live mode it may only ask the server it came from.
#include "view/view_page.h"

#include "view/view_assets.h"

namespace scenario::tool {
namespace {

constexpr std::string_view k_policy =
    "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
    "img-src data:; base-uri 'none'; form-action 'none'";

// The page's frame; the script fills it from the data.
constexpr std::string_view k_head =
    "<!DOCTYPE html>\n"
    "<html lang=\"it\">\n"
    "<head>\n"
    "<meta charset=\"utf-8\">\n"
    "<meta http-equiv=\"Content-Security-Policy\" content=\"";

constexpr std::string_view k_body =
    "\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    "<link rel=\"icon\" href=\"data:,\">\n"
    "<title>scenario-tool view</title>\n"
    "<style>\n";

constexpr std::string_view k_frame =
    "</style>\n"
    "</head>\n";

constexpr std::string_view k_content =
    ">\n"
    "<header id=\"testata\">\n"
    "<h1 id=\"titolo\"></h1>\n"
    "<div id=\"comandi\">\n"
    "<button id=\"tutta\" type=\"button\">Tutta la linea</button>\n"
    "<button id=\"allarga\" type=\"button\" title=\"allarga la finestra\">\u2212</button>\n"
    "<button id=\"stringi\" type=\"button\" title=\"stringi la finestra\">+</button>\n"
    "<button id=\"pianta-finestra\" type=\"button\">Pianta sulla finestra</button>\n"
    "<a id=\"collegamento\" href=\"#\">Collegamento a questa finestra</a>\n"
    "</div>\n"
    "<div id=\"letture\"><p id=\"finestra\"></p><p id=\"puntatore\"></p>"
    "<p id=\"stato\"></p></div>\n"
    "</header>\n"
    "<noscript><p>Questa pagina disegna la linea con JavaScript: attivarlo per vederla.</p>"
    "</noscript>\n"
    "<main>\n"
    "<section id=\"disegni\">\n"
    "<figure class=\"pannello\"><figcaption>Pianta (nord in alto; rotella: zoom, "
    "trascinare: spostare)</figcaption><div><svg id=\"pianta\"></svg></div></figure>\n"
    "<figure class=\"pannello\"><figcaption>Profilo (rotella: zoom, trascinare: spostare; "
    "indirizzo #km=DA-A)</figcaption><div><svg id=\"profilo\"></svg></div></figure>\n"
    "</section>\n"
    "<aside id=\"diagnostica\">\n"
    "<h2>Errori e avvisi</h2>\n"
    "<p id=\"conteggio\"></p>\n"
    "<ol id=\"elenco\"></ol>\n"
    "</aside>\n"
    "</main>\n"
    "<div id=\"suggerimento\" role=\"tooltip\" hidden></div>\n"
    "<script type=\"application/json\" id=\"dati\">";

void append_escape(std::string& out, char32_t code) {
    static constexpr char k_hex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += k_hex[(code >> shift) & 0xF];
}

}  // namespace

std::string script_safe_json(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '<' || c == '>' || c == '&') {
            append_escape(out, static_cast<char32_t>(c));
        } else if (c == '\xE2' && i + 2 < text.size() && text[i + 1] == '\x80' &&
                   (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
            // U+2028 and U+2029 end a line in older script parsers.
            append_escape(out, text[i + 2] == '\xA8' ? U'\u2028' : U'\u2029');
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::string view_page_html(const std::string& data_json, bool live) {
    std::string page;
    page.reserve(data_json.size() + 64 * 1024);
    page += k_head;
    page += k_policy;
    if (live) page += "; connect-src 'self'";
    page += k_body;
    page += view_assets::style();
    page += k_frame;
    page += live ? "<body data-live=\"1\"" : "<body data-live=\"0\"";
    page += k_content;
    page += script_safe_json(data_json);
    page += "</script>\n<script>\n(function () {\n'use strict';\n";
    for (const std::string_view script : view_assets::scripts()) page += script;
    page += "})();\n</script>\n</body>\n</html>\n";
    return page;
}

}  // namespace scenario::tool
