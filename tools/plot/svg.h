// A minimal SVG writer for the tool's picture of a line: plain SVG 1.1 text with the few shapes
// the plot uses. Coordinates are written with one decimal; texts are escaped for XML.
#pragma once

#include <charconv>
#include <cmath>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scenario::tool {

class svg_writer {
   public:
    svg_writer(double width, double height) {
        out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             << "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" << num(width)
             << "\" height=\"" << num(height) << "\" viewBox=\"0 0 " << num(width) << ' '
             << num(height) << "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n"
             << "<rect x=\"0\" y=\"0\" width=\"" << num(width) << "\" height=\"" << num(height)
             << "\" fill=\"white\"/>\n";
    }

    // The finished document.
    std::string finish() {
        out_ << "</svg>\n";
        return out_.str();
    }

    void line(double x1, double y1, double x2, double y2, std::string_view style) {
        out_ << "<line x1=\"" << num(x1) << "\" y1=\"" << num(y1) << "\" x2=\"" << num(x2)
             << "\" y2=\"" << num(y2) << "\" " << style << "/>\n";
    }
    void rect(double x, double y, double w, double h, std::string_view style) {
        out_ << "<rect x=\"" << num(x) << "\" y=\"" << num(y) << "\" width=\"" << num(w)
             << "\" height=\"" << num(h) << "\" " << style << "/>\n";
    }
    void circle(double x, double y, double r, std::string_view style) {
        out_ << "<circle cx=\"" << num(x) << "\" cy=\"" << num(y) << "\" r=\"" << num(r) << "\" "
             << style << "/>\n";
    }
    void polyline(const std::vector<std::pair<double, double>>& points, std::string_view style) {
        if (points.empty()) return;
        out_ << "<polyline fill=\"none\" points=\"";
        for (const auto& [x, y] : points) out_ << num(x) << ',' << num(y) << ' ';
        out_ << "\" " << style << "/>\n";
    }
    void polygon(const std::vector<std::pair<double, double>>& points, std::string_view style) {
        out_ << "<polygon points=\"";
        for (const auto& [x, y] : points) out_ << num(x) << ',' << num(y) << ' ';
        out_ << "\" " << style << "/>\n";
    }
    // Text at (x, y); `style` may carry text-anchor, font-size, fill, transform, ...
    void text(double x, double y, std::string_view content, std::string_view style = "") {
        out_ << "<text x=\"" << num(x) << "\" y=\"" << num(y) << "\" " << style << '>'
             << escape(content) << "</text>\n";
    }
    // Text turned by `degrees` about its own anchor point.
    void turned_text(double x, double y, double degrees, std::string_view content,
                     std::string_view style = "") {
        const std::string turn = "transform=\"rotate(" + num(degrees) + ' ' + num(x) + ' ' +
                                 num(y) + ")\" " + std::string(style);
        text(x, y, content, turn);
    }
    // A group whose tooltip in a browser is `title`.
    void begin_group(std::string_view title) {
        out_ << "<g><title>" << escape(title) << "</title>\n";
    }
    void end_group() { out_ << "</g>\n"; }
    // A group whose drawing is cut to the rectangle; ended with end_group.
    void begin_clip(std::string_view id, double x, double y, double w, double h) {
        out_ << "<clipPath id=\"" << escape(id) << "\"><rect x=\"" << num(x) << "\" y=\"" << num(y)
             << "\" width=\"" << num(w) << "\" height=\"" << num(h)
             << "\"/></clipPath>\n<g clip-path=\"url(#" << escape(id) << ")\">\n";
    }
    void comment(std::string_view what) { out_ << "<!-- " << what << " -->\n"; }

    static std::string num(double v) {
        if (!std::isfinite(v)) return "0";
        char buffer[32];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, std::round(v * 10) / 10,
                                     std::chars_format::fixed, 1);
        std::string s(buffer, r.ptr);
        if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
        return s == "-0" ? "0" : s;
    }

    static std::string escape(std::string_view text) {
        std::string out;
        for (const char c : text) {
            switch (c) {
                case '&':
                    out += "&amp;";
                    break;
                case '<':
                    out += "&lt;";
                    break;
                case '>':
                    out += "&gt;";
                    break;
                case '"':
                    out += "&quot;";
                    break;
                default:
                    // XML 1.0 admits no control characters but tab and line ends.
                    if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n')
                        out += ' ';
                    else
                        out += c;
            }
        }
        return out;
    }

   private:
    std::ostringstream out_;
};

}  // namespace scenario::tool
