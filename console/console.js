// console.js - the pages of the console: namespaces, a namespace's class
// tree, a class, its instances, an instance. Routes live in the URL's
// fragment; every text from the server goes into the page as text.
"use strict";

const { call, param } = cimXml;
const page = document.getElementById("page");
const where = document.getElementById("where");

// An element with children: strings become text, never markup.
function el(tag, attributes = {}, ...children) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (name === "onclick" || name === "oninput") node[name] = value;
    else node.setAttribute(name, value);
  }
  for (const child of children) node.append(child instanceof Node ? child : String(child ?? ""));
  return node;
}

const link = (text, ...route) => el("a", { href: "#/" + route.map(encodeURIComponent).join("/") }, text);

function show(title, ...content) {
  where.textContent = title;
  page.replaceChildren(...content);
}

function failure(error) {
  return el("div", { class: "error" }, error instanceof cimXml.CimError
    ? `The server refused: CIM status ${error.code}${error.description ? " - " + error.description : ""}`
    : `The request failed: ${error.message}`);
}

// A table whose columns sort on a click and whose rows a text filters.
function sortableTable(columns, rows, open) {
  let order = { column: 0, up: true };
  const filter = el("input", { type: "search", placeholder: "filter rows" });
  const body = el("tbody");
  const draw = () => {
    const wanted = filter.value.toLowerCase();
    const shown = rows
      .filter((row) => !wanted || row.cells.some((c) => String(c ?? "").toLowerCase().includes(wanted)))
      .sort((a, b) => {
        const x = a.cells[order.column] ?? "", y = b.cells[order.column] ?? "";
        const n = Number(x) - Number(y);
        const c = Number.isNaN(n) || x === "" || y === "" ? String(x).localeCompare(String(y)) : n;
        return order.up ? c : -c;
      });
    body.replaceChildren(...shown.map((row) => {
      const tr = el("tr", { class: "row" }, ...row.cells.map((c) => el("td", {}, c ?? "NULL")));
      if (open && row.open) tr.onclick = () => open(row);
      return tr;
    }));
  };
  const head = el("tr", {}, ...columns.map((name, i) => el("th", {
    onclick: () => { order = { column: i, up: order.column === i ? !order.up : true }; draw(); },
  }, name)));
  filter.oninput = draw;
  draw();
  return el("div", {}, filter, el("table", {}, el("thead", {}, head), body), el("p", {}, `${rows.length} rows`));
}

const routes = {
  "": async () => {
    const names = await call("root/interop", "EnumerateInstances", [param.className("ClassName", "CIM_Namespace")]);
    const spaces = [...names.querySelectorAll("INSTANCE")]
      .map((i) => cimXml.properties(i).find((p) => p.name === "Name")?.value)
      .filter(Boolean).sort();
    show("namespaces", el("h2", {}, "Namespaces"), el("ul", {}, ...spaces.map((ns) => el("li", {}, link(ns, "ns", ns)))));
  },

  async ns(ns) {
    const answer = await call(ns, "EnumerateClasses", [param.flag("DeepInheritance", true),
      param.flag("LocalOnly", true), param.flag("IncludeQualifiers", false)]);
    const classes = [...answer.querySelectorAll("CLASS")].map((c) => ({
      name: c.getAttribute("NAME"), superclass: c.getAttribute("SUPERCLASS") || "" }));
    const children = new Map();
    for (const c of classes) children.set(c.superclass, [...(children.get(c.superclass) || []), c.name]);
    const known = new Set(classes.map((c) => c.name));
    const branch = (name) => {
      const below = (children.get(name) || []).sort();
      const item = el("li", {}, link(name, "class", ns, name));
      if (below.length) item.append(el("ul", {}, ...below.map(branch)));
      return item;
    };
    const roots = classes.filter((c) => !c.superclass || !known.has(c.superclass)).map((c) => c.name).sort();
    const tree = el("div", { class: "tree" }, el("ul", {}, ...roots.map(branch)));
    const search = el("input", { type: "search", placeholder: "search classes by name" });
    const found = el("ul");
    search.oninput = () => {
      const wanted = search.value.toLowerCase();
      tree.hidden = wanted !== "";
      found.replaceChildren(...(wanted ? classes.filter((c) => c.name.toLowerCase().includes(wanted))
        .map((c) => el("li", {}, link(c.name, "class", ns, c.name))) : []));
    };
    show(ns, el("h2", {}, `Classes of ${ns} (${classes.length})`), search, found, tree);
  },

  async class(ns, name) {
    const answer = await call(ns, "GetClass", [param.className("ClassName", name), param.flag("LocalOnly", false),
      param.flag("IncludeQualifiers", true), param.flag("IncludeClassOrigin", true)]);
    const cls = answer.querySelector("CLASS");
    const rows = cimXml.properties(cls).map((p) => el("tr", { class: p.origin && p.origin !== name ? "inherited" : "" },
      el("td", {}, p.name), el("td", {}, p.type), el("td", {}, p.origin && p.origin !== name ? `from ${p.origin}` : ""),
      el("td", {}, p.value ?? ""), el("td", {}, p.qualifiers.join(", "))));
    const methods = [...cls.querySelectorAll(":scope > METHOD")].map((m) => el("li", {}, el("code", {},
      `${m.getAttribute("TYPE") || "void"} ${m.getAttribute("NAME")}(${[...m.children]
        .filter((c) => c.tagName.startsWith("PARAMETER"))
        .map((c) => `${c.getAttribute("TYPE") || c.getAttribute("REFERENCECLASS") || ""} ${c.getAttribute("NAME")}`)
        .join(", ")})`)));
    const superclass = cls.getAttribute("SUPERCLASS");
    show(`${ns} / ${name}`, el("h2", {}, name),
      el("p", {}, superclass ? "Subclass of " : "", superclass ? link(superclass, "class", ns, superclass) : "",
        " - ", link("instances", "instances", ns, name)),
      el("h3", {}, "Properties"),
      el("table", {}, el("tr", {}, ...["name", "type", "origin", "default", "qualifiers"].map((h) => el("th", {}, h))), ...rows),
      el("h3", {}, "Methods"), methods.length ? el("ul", {}, ...methods) : el("p", {}, "none"));
  },

  async instances(ns, name) {
    const answer = await call(ns, "EnumerateInstances", [param.className("ClassName", name), param.flag("LocalOnly", false)]);
    const named = [...answer.querySelectorAll("VALUE\\.NAMEDINSTANCE")];
    const columns = named.length ? cimXml.properties(named[0].querySelector("INSTANCE")).map((p) => p.name) : [];
    const rows = named.map((n) => {
      const values = new Map(cimXml.properties(n.querySelector("INSTANCE")).map((p) => [p.name, p.value]));
      const keys = cimXml.keysOf(n.querySelector("INSTANCENAME"));
      const className = n.querySelector("INSTANCENAME").getAttribute("CLASSNAME");
      return { cells: columns.map((c) => values.get(c)), open: keys && { className, keys } };
    });
    show(`${ns} / ${name} / instances`, el("h2", {}, `Instances of ${name}`),
      sortableTable(columns, rows, (row) => {
        location.hash = "#/" + ["instance", ns, row.open.className, JSON.stringify(row.open.keys)].map(encodeURIComponent).join("/");
      }));
  },

  async instance(ns, className, keysJson) {
    const keys = JSON.parse(keysJson);
    const answer = await call(ns, "GetInstance", [param.xml("InstanceName", cimXml.instanceName(className, keys)),
      param.flag("LocalOnly", false)]);
    const rows = cimXml.properties(answer.querySelector("INSTANCE")).map((p) =>
      el("tr", {}, el("td", {}, p.name), el("td", {}, p.type), el("td", { class: "mono" }, p.value ?? "NULL")));
    show(`${ns} / ${className}`, el("h2", {}, `${className}.${keys.map(([k, , v]) => `${k}="${v}"`).join(",")}`),
      el("p", {}, link(`all ${className}`, "instances", ns, className)),
      el("table", {}, el("tr", {}, ...["property", "type", "value"].map((h) => el("th", {}, h))), ...rows));
  },
};

async function route() {
  const [name = "", ...args] = location.hash.replace(/^#\/?/, "").split("/").map(decodeURIComponent);
  const handler = Object.hasOwn(routes, name) ? routes[name] : routes[""];
  page.replaceChildren(el("p", {}, "Loading..."));
  try {
    await handler(...args);
  } catch (error) {
    show("", failure(error));
  }
}

window.addEventListener("hashchange", route);
route();
