// The HTML report; see html_report.h.
#include "view/html_report.h"

#include <string_view>

#include "common/text_format.h"
#include "view/script_hash.h"
#include "view/waveform_svg.h"

namespace qel::view {
namespace {

// "1 call", "3 frames".
std::string count(std::uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
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
        out += c;
    }
  }
  return out;
}

std::string base64(const std::vector<std::uint8_t>& data) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((data.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < data.size(); i += 3) {
    const std::uint32_t n = (std::uint32_t{data[i]} << 16) | (i + 1 < data.size() ? data[i + 1] << 8 : 0) |
                            (i + 2 < data.size() ? data[i + 2] : 0);
    out += kDigits[(n >> 18) & 63];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < data.size() ? kDigits[(n >> 6) & 63] : '=';
    out += i + 2 < data.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

// The picture as an inline PNG at one image pixel per panel pixel, drawn `scale`
// times larger with crisp pixels.
std::string panel_img(const emu::Picture& picture, const PngOptions& options, const std::string& alt) {
  const std::vector<std::uint8_t> png = encode_png(picture, PngOptions{1, options.color});
  const int w = (picture.width + 2 * kPngBezel) * options.scale;
  const int h = (picture.height + 2 * kPngBezel) * options.scale;
  return "<img class=\"panel\" width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) + "\" alt=\"" +
         escape(alt) + "\" src=\"data:image/png;base64," + base64(png) + "\">";
}

std::string unit_name(const RunFrames& run, const Frame& f) {
  const char* one = run.kind == RunKind::Script ? "call" : "burst";
  std::string out = one;
  if (f.first_unit == f.last_unit) return out + " " + std::to_string(f.first_unit);
  return out + "s " + std::to_string(f.first_unit) + "-" + std::to_string(f.last_unit);
}

std::string frame_where(const RunFrames& run, const Frame& f) {
  if (run.kind == RunKind::Script) return f.where;
  return common::time_text(f.start_ns, common::TimeStyle::Milliseconds) + " - " +
         common::time_text(f.end_ns, common::TimeStyle::Milliseconds);
}

// The call of a script frame, or the time span of a capture frame, as one line.
std::string frame_subject(const RunFrames& run, const Frame& f) {
  if (run.kind == RunKind::Capture) return frame_where(run, f);
  std::string out;
  for (const std::string& c : f.calls) out += (out.empty() ? "" : " ") + c;
  const std::uint64_t units = f.last_unit - f.first_unit + 1;
  if (units > f.calls.size()) out += " ... (" + std::to_string(units - f.calls.size()) + " more calls)";
  return out;
}

void add_costs(std::string& html, const RunFrames& run, const Costs& c) {
  html += "<table class=\"costs\"><tr><th>command bytes</th><th>data bytes</th><th>";
  html += run.kind == RunKind::Script ? "pin writes" : "line changes";
  html += "</th><th>wire time</th></tr><tr><td>" + std::to_string(c.command_bytes) + "</td><td>" +
          std::to_string(c.data_bytes) + "</td><td>" + std::to_string(c.pin_writes) + "</td><td>" +
          common::time_text(c.wire_ns, common::TimeStyle::Label) + "</td></tr></table>";
}

void add_frame(std::string& html, const RunFrames& run, const Frame& f, std::size_t number, const PngOptions& options) {
  const std::string id = "frame-" + std::to_string(number);
  const std::string subject = frame_subject(run, f);
  html += "<article class=\"frame\" id=\"" + id + "\" data-subject=\"" + escape(subject) + "\">";
  html += "<h3><a href=\"#" + id + "\">Frame " + std::to_string(number) + "</a> &middot; " + unit_name(run, f) +
          " &middot; " + escape(frame_where(run, f)) + "</h3>";
  html += "<p class=\"subject\"><code>" + escape(subject) + "</code></p>";
  html += "<div class=\"columns\"><div>" + panel_img(f.picture, options, "Panel after frame " + std::to_string(number));
  add_costs(html, run, f.costs);
  if (!f.notes.empty()) {
    html += "<ul class=\"notes\">";
    for (const std::string& n : f.notes) html += "<li>" + escape(n) + "</li>";
    if (f.notes_left_out > 0) html += "<li>... and " + std::to_string(f.notes_left_out) + " more notes</li>";
    html += "</ul>";
  }
  html += "</div><div class=\"listing\"><h4>Commands</h4><pre>";
  for (const ListingLine& l : f.listing) {
    if (run.kind == RunKind::Capture) html += escape(l.origin) + "  ";
    html += escape(l.text) + "\n";
  }
  if (f.listing.empty()) html += "(no bytes)\n";
  if (f.listing_left_out > 0) html += "... and " + std::to_string(f.listing_left_out) + " more lines\n";
  html += "</pre></div></div>";
  html += "<h4>Pins</h4><div class=\"wave-box\">" + render_waveform_svg(f.wave) + "</div>";
  const Waveform& w = f.wave;
  if (w.bytes_left_out > 0 || w.changes_left_out > 0) {
    html += "<p class=\"left-out\">Showing the first " + std::to_string(w.bytes.size()) + " bytes; " +
            std::to_string(w.bytes_left_out) + " later bytes of this frame are left out";
    if (w.changes_left_out > 0) html += ", and " + std::to_string(w.changes_left_out) + " pin changes";
    html += ".</p>";
  }
  html += "</article>\n";
}

// The frame (counted from 1) whose bytes hold `f`'s byte; 0 when there is no frame.
std::size_t frame_of(const RunFrames& run, const ReportFinding& f) {
  if (run.frames.empty()) return 0;
  std::uint64_t bytes = 0;
  for (std::size_t i = 0; i < run.frames.size() && !f.at_end; ++i) {
    bytes += run.frames[i].costs.command_bytes + run.frames[i].costs.data_bytes;
    if (f.byte_index < bytes) return i + 1;
  }
  return run.frames.size();
}

void add_findings(std::string& html, const RunFrames& run) {
  html += "<section id=\"findings\"><h2>Findings</h2>";
  if (run.findings.empty()) {
    html += "<p>None: no known fault was seen.</p></section>\n";
    return;
  }
  html += "<ul class=\"findings\">";
  for (const ReportFinding& f : run.findings) {
    html += "<li class=\"" + escape(f.severity) + "\"><strong>" + escape(f.severity) + "</strong> <code>" +
            escape(f.id) + "</code> ";
    const std::size_t frame = frame_of(run, f);
    if (frame > 0) {
      html += "<a href=\"#frame-" + std::to_string(frame) + "\">" + escape(f.where) + "</a>";
    } else {
      html += escape(f.where);
    }
    html += ": " + escape(f.sentence) + "</li>";
  }
  html += "</ul></section>\n";
}

constexpr const char* kStyle = R"css(
body{font:14px/1.4 system-ui,sans-serif;margin:16px;background:#f4f4f6;color:#1c1c22}
h1{font-size:20px;margin:0 0 4px}h2{font-size:17px;margin:18px 0 6px}h3{font-size:15px;margin:0 0 4px}
h4{font-size:13px;margin:8px 0 2px}code,pre{font:12px/1.35 ui-monospace,monospace}
img.panel{image-rendering:pixelated;image-rendering:crisp-edges;display:block}
.frame{background:#fff;border:1px solid #ccd;border-radius:6px;padding:10px;margin:10px 0}
.columns{display:flex;gap:16px;flex-wrap:wrap}.listing pre{max-height:340px;overflow:auto;margin:0;background:#f7f7fa;padding:4px}
table.costs{border-collapse:collapse;margin-top:6px}table.costs td,table.costs th{border:1px solid #ccd;padding:2px 6px;font-size:12px}
.wave-box{overflow-x:auto;background:#fbfbfd;border:1px solid #dde}
svg.wave text{font:11px ui-monospace,monospace;fill:#333}svg.wave text.byte,svg.wave text.gap{text-anchor:middle}
svg.wave path.level{fill:none;stroke:#1060c0;stroke-width:1.5}svg.wave rect.cmd{fill:#ffe7b0}svg.wave rect.data{fill:#d6ecff}
svg.wave rect.gap{fill:#e8e8ee}#player{position:sticky;top:0;background:#f4f4f6;padding:6px 0;z-index:1}
#player input{width:320px;vertical-align:middle}#selected-subject{font:12px ui-monospace,monospace}
.left-out{font-size:12px;color:#555}ul.notes{color:#8a2b00}
ul.findings li.error strong{color:#b00020}ul.findings li.warning strong{color:#8a5a00}
)css";

constexpr const char* kScript = R"js(
(function () {
  var frames = Array.prototype.slice.call(document.querySelectorAll('article.frame'));
  if (frames.length === 0) return;
  var player = document.getElementById('player');
  var slider = document.getElementById('slider');
  var status = document.getElementById('player-status');
  var subject = document.getElementById('selected-subject');
  var current = 0;
  slider.max = String(frames.length);
  player.hidden = false;
  function select(n, updateUrl) {
    n = Math.max(1, Math.min(frames.length, n));
    current = n;
    frames.forEach(function (f, i) { f.hidden = i !== n - 1; });
    slider.value = String(n);
    status.textContent = 'Frame ' + n + ' of ' + frames.length;
    subject.textContent = frames[n - 1].getAttribute('data-subject');
    if (updateUrl && location.hash !== '#frame-' + n) {
      try { history.replaceState(null, '', '#frame-' + n); } catch (e) { /* a file: URL may refuse it */ }
    }
  }
  function fromHash() {
    var m = /^#frame-(\d+)$/.exec(location.hash);
    return m ? parseInt(m[1], 10) : 1;
  }
  slider.addEventListener('input', function () { select(parseInt(slider.value, 10), true); });
  document.getElementById('prev').addEventListener('click', function () { select(current - 1, true); });
  document.getElementById('next').addEventListener('click', function () { select(current + 1, true); });
  document.addEventListener('keydown', function (e) {
    if (e.target === slider) return;
    if (e.key === 'ArrowLeft') { select(current - 1, true); e.preventDefault(); }
    if (e.key === 'ArrowRight') { select(current + 1, true); e.preventDefault(); }
    if (e.key === 'Home') { select(1, true); e.preventDefault(); }
    if (e.key === 'End') { select(frames.length, true); e.preventDefault(); }
  });
  window.addEventListener('hashchange', function () { select(fromHash(), false); });
  select(fromHash(), false);
})();
)js";

// The page's one script, allowed by its hash and nothing else.
const std::string& script_source() {
  static const std::string kSource = script_hash_source(kScript);
  return kSource;
}

}  // namespace

std::string render_html_report(const RunFrames& run, const PngOptions& options) {
  const bool script = run.kind == RunKind::Script;
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src data:; "
      "style-src 'unsafe-inline'; script-src " +
      script_source() +
      "\">\n"
      "<meta name=\"viewport\" content=\"width=device-width\">\n<title>qel-lcd-sim: " +
      escape(run.source) + "</title>\n<style>" + kStyle + "</style></head>\n<body>\n";
  std::uint64_t commands = 0, data = 0, notes = 0;
  for (const Frame& f : run.frames) {
    commands += f.costs.command_bytes;
    data += f.costs.data_bytes;
    notes += f.notes.size() + f.notes_left_out;
  }
  html += "<header><h1>" + std::string(script ? "Script " : "Capture ") + "<code>" + escape(run.source) +
          "</code></h1><p>" + (script ? count(run.units, "call", "calls") : count(run.units, "burst", "bursts")) +
          ", " + count(run.frames.size(), "frame", "frames") + ", " + count(commands, "command byte", "command bytes") +
          ", " + count(data, "data byte", "data bytes") + ", " + count(notes, "note", "notes");
  if (script) html += "; " + std::to_string(run.pin_write_ns) + " ns per pin write";
  html += ".</p>";
  if (run.units_per_frame > 1) {
    html += "<p class=\"merged\">To stay within " + std::to_string(kMaxFrames) + " frames, each frame covers " +
            std::to_string(run.units_per_frame) + (script ? " calls" : " bursts") +
            " in a row (the last may cover fewer); its picture is the one after the last of them.</p>";
  }
  if (!script) {
    html += "<p>A frame ends where a burst of bytes ends: at chip-select release or after 1 ms without a byte.</p>";
  }
  html += "</header>\n";
  add_findings(html, run);
  html += "<section id=\"final\"><h2>Final panel</h2>" + panel_img(run.final_picture, options, "Final panel") +
          "</section>\n";

  html += "<section id=\"notes\"><h2>Notes</h2>";
  if (notes == 0) {
    html += "<p>The controller made no note.</p>";
  } else {
    html += "<ul class=\"notes\">";
    std::size_t listed = 0;
    for (std::size_t i = 0; i < run.frames.size(); ++i) {
      for (const std::string& n : run.frames[i].notes) {
        if (listed >= kMaxFrameNotes * 5) break;
        ++listed;
        html += "<li><a href=\"#frame-" + std::to_string(i + 1) + "\">frame " + std::to_string(i + 1) +
                "</a>: " + escape(n) + "</li>";
      }
    }
    if (listed < notes) html += "<li>... and " + std::to_string(notes - listed) + " more notes</li>";
    html += "</ul>";
  }
  html += "</section>\n";

  html +=
      "<section id=\"frames\"><h2>Frames</h2>\n"
      "<div id=\"player\" hidden><button id=\"prev\" type=\"button\" title=\"Previous frame (left "
      "arrow)\">&larr;</button> "
      "<input id=\"slider\" type=\"range\" min=\"1\" max=\"1\" value=\"1\" aria-label=\"Frame\"> "
      "<button id=\"next\" type=\"button\" title=\"Next frame (right arrow)\">&rarr;</button> "
      "<span id=\"player-status\"></span><br><span id=\"selected-subject\"></span></div>\n";
  if (run.frames.empty()) html += "<p>No frames: nothing was sent.</p>";
  for (std::size_t i = 0; i < run.frames.size(); ++i) add_frame(html, run, run.frames[i], i + 1, options);
  html += "</section>\n<script>" + std::string(kScript) + "</script>\n</body></html>\n";
  return html;
}

}  // namespace qel::view
