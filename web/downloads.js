// The run on show saved as files: its CSV table and the picture as PNG.
import { onShow } from './computation.js';
import { cores } from './core_client.js';
import { drawn } from './picture.js';

export function download(name, blob) {
  const a = document.createElement('a');
  a.href = URL.createObjectURL(blob);
  a.download = name;
  document.body.appendChild(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}

// A file's name is the run's scenario text made safe for file systems: spaces become '_'
// and ':' '@' (no scenario text has either); '=', ',', '.', '+' and '-' stay. The picture adds
// its view: agvsim_drift=2_curve=16@0.5,5_type=1_record=0.png; every default: agvsim.csv.
export function fileName(ext) {
  const text = onShow.run.scenario.replace(/ /g, '_').replace(/:/g, '@').replace(/[^0-9A-Za-z=,.+@_-]/g, '_');
  const extra = drawn.picture && ext === 'png' ? `_type=${drawn.picture.state.type}_record=${drawn.picture.state.index}` : '';
  return `agvsim${text ? `_${text}` : ''}${extra}.${ext}`;
}

export async function csvText() {
  if (!cores.shown) return '';
  return (await cores.shown.call('csv')).csv;
}
