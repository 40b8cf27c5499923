// The page's elements by id.


/** The element of an id (null when the page has none). */
export const $ = (id) => document.getElementById(id);
