// Messages next to the form's fields (a refusal, kept in both languages so that it survives a
// switch of language), the announcements to screen readers and the status line.
import { $ } from './dom.js';
import { UI, language, messageText } from './texts.js';

export const shownMessages = new Map();  // element id -> message
export function clearMessages() {
  // A message's field may have been rebuilt away since (another error, curve or law chosen).
  for (const id of shownMessages.keys()) if ($(id)) $(id).textContent = '';
  shownMessages.clear();
  document.querySelectorAll('[aria-invalid="true"]').forEach((i) => i.removeAttribute('aria-invalid'));
}

export function showMessage(targetId, m, inputId) {
  const id = $(`msg-${targetId}`) ? `msg-${targetId}` : 'msg-all';
  shownMessages.set(id, m);
  $(id).textContent = messageText(m);
  const input = inputId && $(inputId);
  if (input) input.setAttribute('aria-invalid', 'true');
  announce(messageText(m));
}

// Said to screen readers at once: a refusal next to its field, a finished computation.
export function announce(text) {
  $('announce').textContent = '';
  requestAnimationFrame(() => { $('announce').textContent = text; });
}

export function showStatus(key) {
  $('status').dataset.key = key || '';
  $('status').textContent = key ? UI[language.current][key] : '';
  $('status').classList.toggle('busy', key === 'computing');
}
