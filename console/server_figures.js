// server_figures.js - the server page: /metrics read every two seconds,
// request rates, latency and errors per operation drawn over the last two
// minutes, and the gauges as they are now.
"use strict";

const serverFigures = (() => {
  const svgNs = "http://www.w3.org/2000/svg";
  const colors = 6;  // series classes s0..s5 in console.css
  const keep = 60;  // samples: two minutes

  // [{name, labels: {...}, value}] of a Prometheus text page.
  function parse(text) {
    const samples = [];
    for (const line of text.split("\n")) {
      if (!line || line.startsWith("#")) continue;
      const found = /^([a-zA-Z_:][\w:]*)(?:\{(.*)\})?\s+(\S+)$/.exec(line);
      if (!found) continue;
      const labels = {};
      for (const [, name, value] of (found[2] || "").matchAll(/(\w+)="((?:[^"\\]|\\.)*)"/g)) labels[name] = value;
      samples.push({ name: found[1], labels, value: Number(found[3]) });
    }
    return samples;
  }

  const sum = (samples, name, by) => {
    const totals = new Map();
    for (const s of samples.filter((s) => s.name === name)) {
      const key = by(s.labels);
      if (key !== null) totals.set(key, (totals.get(key) || 0) + s.value);
    }
    return totals;
  };

  // A line chart of series (name -> values, oldest first) as SVG.
  function chart(title, series, unit) {
    const width = 460, height = 200, left = 48, bottom = 20, top = 24;
    const svg = (tag, attributes = {}, ...children) => {
      const node = document.createElementNS(svgNs, tag);
      for (const [name, value] of Object.entries(attributes)) node.setAttribute(name, value);
      node.append(...children);
      return node;
    };
    const all = [...series.values()].flat();
    const high = (Math.max(0, ...all) || 1) * 1.1;
    const drawing = svg("svg", { width, height, class: "chart", role: "img", "aria-label": title },
      svg("text", { x: left, y: 14, class: "title" }, title),
      svg("text", { x: left - 4, y: top + 4, "text-anchor": "end" }, `${high.toPrecision(2)} ${unit}`),
      svg("text", { x: left - 4, y: height - bottom, "text-anchor": "end" }, "0"),
      svg("line", { x1: left, y1: height - bottom, x2: width - 4, y2: height - bottom, class: "axis" }));
    let i = 0;
    for (const [name, values] of series) {
      const color = `s${i % colors}`;
      // The newest sample at the right edge; the first ones spread wider.
      const span = Math.max(values.length, 10) - 1;
      const points = values.map((v, j) => `${width - 4 - ((width - left - 4) * (values.length - 1 - j)) / span},` +
        `${height - bottom - ((height - bottom - top) * v) / high}`).join(" ");
      drawing.append(svg("polyline", { points, class: color }),
        svg("text", { x: width - 6, y: top + 14 * i + 4, "text-anchor": "end", class: color }, name));
      i++;
    }
    return drawing;
  }

  // Starts reading /metrics into target until stillShown() turns false.
  function watch(target, stillShown, el) {
    const history = [];  // {at, requests: Map, errors: Map, seconds: Map, counts: Map, gauges: Map}
    const draw = () => {
      const rates = (field) => {
        const series = new Map();
        for (let j = 1; j < history.length; j++) {
          const before = history[j - 1], now = history[j], dt = (now.at - before.at) / 1000;
          for (const [op, total] of now[field]) {
            if (!series.has(op)) series.set(op, new Array(j - 1).fill(0));
            series.get(op).push(Math.max(0, (total - (before[field].get(op) || 0)) / dt));
          }
          for (const values of series.values()) while (values.length < j) values.push(0);
        }
        return series;
      };
      // The six series with the most over the period; those without any left out.
      const total = (values) => values.reduce((a, b) => a + b, 0);
      const busiest = (series) => new Map([...series].filter(([, v]) => total(v) > 0)
        .sort((a, b) => total(b[1]) - total(a[1])).slice(0, 6));
      const latency = new Map();
      for (let j = 1; j < history.length; j++) {
        const before = history[j - 1], now = history[j];
        for (const [op, seconds] of now.seconds) {
          if (!latency.has(op)) latency.set(op, new Array(j - 1).fill(0));
          const calls = now.counts.get(op) - (before.counts.get(op) || 0);
          latency.get(op).push(calls > 0 ? ((seconds - (before.seconds.get(op) || 0)) / calls) * 1000 : 0);
        }
        for (const values of latency.values()) while (values.length < j) values.push(0);
      }
      const gauges = history.length ? history.at(-1).gauges : new Map();
      target.replaceChildren(
        el("div", { class: "charts" }, chart("requests per second", busiest(rates("requests")), "/s"),
          chart("mean latency", busiest(latency), "ms"), chart("errors per second", busiest(rates("errors")), "/s")),
        el("table", {}, ...[...gauges].map(([name, value]) => el("tr", {}, el("td", {}, name), el("td", {}, value)))));
    };
    const gaugeNames = {
      cimxmld_connections_open: "open connections",
      cimxmld_requests_in_flight: "requests in flight",
      cimxmld_worker_queue_depth: "requests waiting for a worker",
      cimxmld_enumeration_contexts_open: "open pulled enumerations",
      cimxmld_subscriptions_active: "indication subscriptions",
      cimxmld_indications_queued: "indications waiting for listeners",
      cimxmld_answer_memory_bytes: "answer bytes in memory",
      cimxmld_repository_namespaces: "namespaces",
      cimxmld_repository_classes: "classes",
      cimxmld_repository_instances: "stored instances",
    };
    const read = async () => {
      if (!stillShown()) return;
      try {
        const response = await fetch("/metrics", { credentials: "same-origin" });
        if (!response.ok) throw new Error(`HTTP ${response.status}`);
        const samples = parse(await response.text());
        const op = (l) => (l.operation === "metrics" || l.operation === "console" ? null : l.operation);
        history.push({
          at: Date.now(),
          requests: sum(samples, "cimxmld_requests_total", op),
          errors: sum(samples, "cimxmld_requests_total", (l) =>
            op(l) && (Number(l.http_status) >= 400 || !["0", "none"].includes(l.cim_status)) ? op(l) : null),
          seconds: sum(samples, "cimxmld_request_duration_seconds_sum", op),
          counts: sum(samples, "cimxmld_request_duration_seconds_count", op),
          gauges: new Map(samples.filter((s) => gaugeNames[s.name]).map((s) => [gaugeNames[s.name], s.value])),
        });
        if (history.length > keep + 1) history.shift();
        draw();
      } catch (error) {
        target.replaceChildren(el("div", { class: "error" }, `The figures could not be read: ${error.message}`));
      }
      setTimeout(read, 2000);
    };
    read();
  }

  return { watch, parse };
})();
