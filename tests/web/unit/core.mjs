// The simulator's WebAssembly module under node, for the unit tests that need the core's
// answers: its catalogue taken into catalogue.js, and scenario texts read as the form shows
// them. The module is AGV_NODE_MODULE, else the web build's beside the sources.
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { setCatalogue } from '../../../web/catalogue.js';

const here = path.dirname(fileURLToPath(import.meta.url));
const file = process.env.AGV_NODE_MODULE || path.join(here, '../../../build-web/agvsim-node.js');
const mod = await createRequire(import.meta.url)(file)();
if (mod.ccall('agv_init', 'number', [], []) !== 0) throw new Error('random tables');
setCatalogue(JSON.parse(mod.ccall('agv_catalogue', 'string', [], [])));

/** The core's reading of a scenario text: {ok, form, ...}. */
export const scenario = (text) => JSON.parse(mod.ccall('agv_scenario', 'string', ['string'], [text]));

/** The core's reading and check of an exercise text: {ok, exercise, ...}. */
export const exercise = (text) => JSON.parse(mod.ccall('agv_exercise', 'string', ['string'], [text]));
