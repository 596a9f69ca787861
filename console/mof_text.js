// mof_text.js - a class as MOF text, written from the CLASS element of a
// GetClass answer (LocalOnly, with qualifiers): what the class declares
// itself, for reading, copying and downloading.
"use strict";

const mofText = (() => {
  const quote = (text) => `"${text.replace(/[\\"]/g, "\\$&").replace(/\n/g, "\\n").replace(/\t/g, "\\t")}"`;
  const scalar = (text, type) => (type === "string" || type === "datetime" || type === "char16" ? quote(text) : text);

  // A VALUE or VALUE.ARRAY element as a MOF initializer of type.
  function value(element, type) {
    if (!element) return null;
    if (element.tagName === "VALUE") return scalar(element.textContent, type);
    if (element.tagName === "VALUE.ARRAY")
      return `{${[...element.children].map((v) => (v.tagName === "VALUE.NULL" ? "NULL" : scalar(v.textContent, type))).join(", ")}}`;
    return null;
  }

  // "[A, B(3)]" and a new line, of the qualifiers an element declares
  // itself ("" for none).
  function qualifiers(element, indent) {
    const own = [...element.children].filter((q) => q.tagName === "QUALIFIER" && q.getAttribute("PROPAGATED") !== "true");
    if (!own.length) return "";
    const texts = own.map((q) => {
      const type = q.getAttribute("TYPE");
      const v = value([...q.children].find((c) => c.tagName.startsWith("VALUE")), type);
      if (type === "boolean" && v !== null && v.toUpperCase() === "TRUE") return q.getAttribute("NAME");
      return `${q.getAttribute("NAME")}(${v === null ? "NULL" : v})`;
    });
    return `${indent}[${texts.join(`,\n ${indent}`)}]\n`;
  }

  const typeOf = (element) => (element.tagName.endsWith("REFERENCE")
    ? `${element.getAttribute("REFERENCECLASS") || "object"} REF` : element.getAttribute("TYPE"));
  const arraySuffix = (element) => (element.tagName.endsWith("ARRAY") ? `[${element.getAttribute("ARRAYSIZE") || ""}]` : "");

  function property(p) {
    const initial = value([...p.children].find((c) => c.tagName.startsWith("VALUE")), p.getAttribute("TYPE"));
    return `${qualifiers(p, "    ")}    ${typeOf(p)} ${p.getAttribute("NAME")}${arraySuffix(p)}` +
      `${initial === null ? "" : " = " + initial};\n`;
  }

  function method(m) {
    const parameters = [...m.children].filter((c) => c.tagName.startsWith("PARAMETER")).map((p) => {
      const q = qualifiers(p, "").trim().replace(/\n\s*/g, " ");
      return `${q ? q + " " : ""}${typeOf(p)} ${p.getAttribute("NAME")}${arraySuffix(p)}`;
    });
    return `${qualifiers(m, "    ")}    ${m.getAttribute("TYPE") || "void"} ${m.getAttribute("NAME")}(` +
      `${parameters.length ? "\n        " + parameters.join(",\n        ") : ""});\n`;
  }

  // The MOF text of a CLASS element.
  return function write(cls) {
    const superclass = cls.getAttribute("SUPERCLASS");
    const members = [...cls.children].filter((c) => c.tagName.startsWith("PROPERTY")).map(property)
      .concat([...cls.children].filter((c) => c.tagName === "METHOD").map(method));
    return `${qualifiers(cls, "")}class ${cls.getAttribute("NAME")}${superclass ? " : " + superclass : ""}\n{\n` +
      `${members.join("\n")}};\n`;
  };
})();
